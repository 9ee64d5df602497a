#pragma once
// A window under test: fresh working directory, failures recorded instead of
// shown, a watchdog that closes any modal dialog, and the user's moves.

#include <QApplication>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QtTest>

#include <memory>

#include "ui/main_window.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace aqvis::test {

// Closes every modal dialog that comes up and keeps its text, so a dialog can
// never hang a test.
class ModalWatchdog : public QObject {
    Q_OBJECT
public:
    ModalWatchdog();
    QStringList take();  // texts of the dialogs closed since the last take
    // Whether every dialog closed since the last take lay within its screen.
    bool tookFitOnScreen();

private:
    void poll();
    QTimer timer_;
    QStringList seen_;
    bool off_screen_ = false;
};

class Bench {
public:
    Bench();
    ~Bench();
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    MainWindow& w() { return *window_; }
    QString dir() const { return dir_.path(); }

    QLineEdit* box(const char* name);
    QLabel* label(const char* name);
    QPushButton* button(const char* name);
    QGroupBox* panel(const char* name);
    QMenu* menu(const char* name);
    QAction* entry(const char* name);
    // Visible as far as the window goes (the window itself is shown).
    bool shown(QWidget* w);
    bool shown(const char* name);

    // The user's moves.
    void toMenu();                     // "Continue"
    void openMenu();                   // click on "Solutes Available", then Escape
    void choose(const char* formula);  // open the menu and pick the entry
    void accept();                     // "Accept"
    void setBoxes(const QString& temp, const QString& press);
    void calculate();                  // "Calculate"
    void calculate(const QString& temp, const QString& press);
    void toInput(const char* formula);  // Continue, choose, Accept

    // Failures reported since the last take.
    QList<MainWindow::FailureReport> takeFailures();
    QStringList dialogs() { return watchdog_.take(); }
    bool dialogsFitOnScreen() { return watchdog_.tookFitOnScreen(); }

    QByteArray reportBytes() const;
    QStringList reportLines() const;  // split at CR LF, without the empty tail
    QStringList captions();           // the sixteen result captions, panel order

private:
    QString previous_dir_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
    QList<MainWindow::FailureReport> failures_;
    ModalWatchdog watchdog_;
};

// Names a locale in the environment (LC_ALL) for the lifetime of the object,
// as a user's session would.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : saved_(qgetenv("LC_ALL")) { qputenv("LC_ALL", name); }
    ~LocaleScope() { qputenv("LC_ALL", saved_); }

private:
    QByteArray saved_;
};

extern const char* const kResultLabelNames[16];

int Run_Test(QObject& test, int argc, char** argv);

}  // namespace aqvis::test

#define AQVIS_UI_TEST_MAIN(TestClass)                         \
    int main(int argc, char** argv) {                         \
        QApplication app(argc, argv);                         \
        TestClass test;                                       \
        return aqvis::test::Run_Test(test, argc, argv);       \
    }
