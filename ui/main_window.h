#pragma once
// The one window of the program: title screen, solute menu, parameter panel,
// temperature and pressure input, and the results panel.  Its controls carry
// the names users and tests know them by ("txtTemp", "mnuH2", ...) as object
// names.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <string>

#include "driver/case_runner.h"
#include "results/report.h"

class QApplication;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace aqvis {

class ResultPicture;
struct Failure;
struct PanelCaptions;
struct SoluteRecord;

// Style, palette, names and icon shared by the program and its tests.
void Prepare_Application(QApplication& app);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // A failure of a user action, as shown to the user: `title` is the kind of
    // error ("Type mismatch", "File error", ...), `text` says what went wrong
    // and what to do.  A modal report waits for the user; a passing one (the
    // pressure hint) does not.
    struct FailureReport {
        QString title;
        QString text;
        bool modal = true;
    };
    using FailureReporter = std::function<void(const FailureReport&)>;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replaces the message box (and the passing tooltip) by `reporter`;
    // an empty function restores them.
    void setFailureReporter(FailureReporter reporter);

    const WindowState& state() const { return state_; }
    bool reportOpen() const { return report_.is_open(); }

private slots:
    void continueToMenu();
    void menuOpening();
    void acceptParameters();
    void pressureFocusIn();
    void pressureFocusOut();
    void calculate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildInputPanel(QWidget* client);
    void buildParametersPanel(QWidget* client);
    void buildResultPanel(QWidget* client);
    void buildMenu();
    void orderTabs();

    // What every entry of the solute menu does, with its own record.
    void chooseSolute(const SoluteRecord& record);

    bool readParameters(const std::string& sep, double (&values)[3]);
    bool openReport(const double (&values)[3], const std::string& sep);
    void runCase(double temperature_c, double pressure_bar, const std::string& sep);
    void showResults(const PanelCaptions& captions);
    QLabel* resultLabel(const char* name) const;
    void reportFailure(const Failure& failure, const std::string& sep);

    // The caption over the pressure box, except while it is the saturation hint.
    static constexpr const char* kPressureCaption = "Pressure, bar";

    WindowState state_{};
    ReportFile report_;
    FailureReporter reporter_;

    QGroupBox* titlePanel_ = nullptr;
    QGroupBox* inputPanel_ = nullptr;
    QLineEdit* temperatureBox_ = nullptr;
    QLabel* pressureLabel_ = nullptr;
    QLineEdit* pressureBox_ = nullptr;
    QPushButton* calculateButton_ = nullptr;
    QGroupBox* parametersPanel_ = nullptr;
    QLineEdit* parameterBoxes_[3] = {};  // xi, a, b
    QGroupBox* resultPanel_ = nullptr;
    ResultPicture* resultPicture_ = nullptr;
    QMenu* soluteMenu_ = nullptr;
};

}  // namespace aqvis
