#include "ui_bench.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace aqvis::test {

const char* const kResultLabelNames[16] = {
    "lbllnfH2O", "lbldH2O", "lblVH2O", "lblCpH2O", "lblCompr", "lblExpan", "lblFormula", "lbllnkH",
    "lblK0",     "lblV",    "lblgcal", "lblScal",  "lblCpcal", "lblgJ",    "lblSJ",      "lblCpJ"};

ModalWatchdog::ModalWatchdog() {
    timer_.setInterval(25);
    connect(&timer_, &QTimer::timeout, this, &ModalWatchdog::poll);
    timer_.start();
}

void ModalWatchdog::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (!modal->screen()->availableGeometry().contains(modal->frameGeometry())) off_screen_ = true;
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        seen_ << box->windowTitle() + QStringLiteral(" | ") + box->text();
    else
        seen_ << modal->metaObject()->className();
    modal->close();
}

bool ModalWatchdog::tookFitOnScreen() {
    const bool fit = !off_screen_;
    off_screen_ = false;
    return fit;
}

QStringList ModalWatchdog::take() {
    QStringList out;
    out.swap(seen_);
    return out;
}

Bench::Bench() : previous_dir_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
    window_ = std::make_unique<MainWindow>();
    window_->setFailureReporter(
        [this](const MainWindow::FailureReport& r) { failures_.append(r); });
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the window did not become active");
}

Bench::~Bench() {
    const QStringList left = watchdog_.take();
    QStringList failures;
    for (const auto& f : failures_) failures << f.title + QStringLiteral(": ") + f.text;
    window_.reset();
    QDir::setCurrent(previous_dir_);
    if (!left.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("unexpected dialog: ") + left.join(QStringLiteral("; "))),
                     __FILE__, __LINE__);
    else if (!failures.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("unexpected failure report: ") +
                                failures.join(QStringLiteral("; "))),
                     __FILE__, __LINE__);
}

QLineEdit* Bench::box(const char* name) {
    auto* w = window_->findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!w) qFatal("no text box %s", name);
    return w;
}
QLabel* Bench::label(const char* name) {
    auto* w = window_->findChild<QLabel*>(QString::fromLatin1(name));
    if (!w) qFatal("no label %s", name);
    return w;
}
QPushButton* Bench::button(const char* name) {
    auto* w = window_->findChild<QPushButton*>(QString::fromLatin1(name));
    if (!w) qFatal("no button %s", name);
    return w;
}
QGroupBox* Bench::panel(const char* name) {
    auto* w = window_->findChild<QGroupBox*>(QString::fromLatin1(name));
    if (!w) qFatal("no panel %s", name);
    return w;
}
QMenu* Bench::menu(const char* name) {
    auto* w = window_->findChild<QMenu*>(QString::fromLatin1(name));
    if (!w) qFatal("no menu %s", name);
    return w;
}
QAction* Bench::entry(const char* name) {
    auto* a = window_->findChild<QAction*>(QString::fromLatin1(name));
    if (!a) qFatal("no menu entry %s", name);
    return a;
}

bool Bench::shown(QWidget* w) { return w->isVisibleTo(window_.get()) && window_->isVisible(); }
bool Bench::shown(const char* name) {
    auto* w = window_->findChild<QWidget*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return shown(w);
}

void Bench::toMenu() { QTest::mouseClick(button("cmdContinue"), Qt::LeftButton); }

void Bench::openMenu() {
    QMenuBar* bar = window_->menuBar();
    QMenu* main = menu("mnuMain");
    QVERIFY2(bar->isVisible(), "the menu bar is not shown");
    // a bar that has just been shown takes clicks once its events are through
    QCoreApplication::processEvents();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(main->menuAction()).center());
    QTRY_VERIFY(main->isVisible());
}

void Bench::choose(const char* formula) {
    openMenu();
    entry(qPrintable(QStringLiteral("mnu") + QString::fromLatin1(formula)))->trigger();
    menu("mnuMain")->hide();
    // A window manager gives the keyboard back to the window when the popup
    // closes; the offscreen platform needs to be told.
    window_->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window_.get()));
}

void Bench::accept() { QTest::mouseClick(button("cmdAccept"), Qt::LeftButton); }

void Bench::setBoxes(const QString& temp, const QString& press) {
    box("txtTemp")->setText(temp);
    box("txtPress")->setText(press);
}

void Bench::calculate() { QTest::mouseClick(button("cmdCalculate"), Qt::LeftButton); }

void Bench::calculate(const QString& temp, const QString& press) {
    setBoxes(temp, press);
    calculate();
}

void Bench::toInput(const char* formula) {
    toMenu();
    choose(formula);
    accept();
}

QList<MainWindow::FailureReport> Bench::takeFailures() {
    QList<MainWindow::FailureReport> out;
    out.swap(failures_);
    return out;
}

QByteArray Bench::reportBytes() const {
    QFile f(QDir(dir_.path()).filePath(QStringLiteral("AQVIS.OUT")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QStringList Bench::reportLines() const {
    QStringList lines = QString::fromLatin1(reportBytes()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList Bench::captions() {
    QStringList out;
    for (const char* name : kResultLabelNames) out << label(name)->text();
    return out;
}

int Run_Test(QObject& test, int argc, char** argv) {
    Prepare_Application(*qApp);
    qputenv("LC_ALL", "C");  // a decimal point, whatever the session
    return QTest::qExec(&test, argc, argv);
}

}  // namespace aqvis::test
