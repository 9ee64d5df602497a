// What the window does when the user acts: the handlers of its buttons, menu
// and pressure box, and how a failure is shown.  The controls themselves are
// built in main_window_layout.cpp.

#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QToolTip>

#include <algorithm>
#include <exception>
#include <optional>

#include "core/errors.h"
#include "driver/case_runner.h"
#include "results/captions.h"
#include "results/decimal_separator.h"
#include "results/failure_text.h"
#include "results/number_format.h"
#include "solute/catalogue.h"
#include "ui/pictures.h"

namespace aqvis {

namespace {

const char* const kParameterPattern = "###0.0000";
const char* const kSaturationCaption = "for Psat press 0";

// The decimal separator of the user's locale, for everything the window
// converts between text and numbers: the same rule as the command line's, so
// both write the same report.
std::string Decimal_Separator() { return Environment_Decimal_Separator(); }

QString From_Std(const std::string& s) { return QString::fromStdString(s); }

// Reads a box that must hold a number.  An empty box stands for `if_empty`
// or, without one, is a type mismatch.  A box keeps only its first
// maxLength() characters, so one filled to that limit may hold the cut start
// of a longer paste, which must not pass for the number the user gave.
double Read_Box(const QLineEdit& box, const std::string& sep,
                std::optional<double> if_empty = std::nullopt) {
    const QString text = box.text();
    if (text.isEmpty()) {
        if (if_empty) return *if_empty;
        throw CalcError(ErrorKind::TypeMismatch, "the box is empty");
    }
    if (text.size() >= box.maxLength())
        throw CalcError(ErrorKind::TypeMismatch, "the box is full, its text may have been cut");
    return Read_Number(text.toStdString(), sep);
}

std::optional<ErrorKind> Kind_Of(const std::exception& e) {
    if (const auto* calc = dynamic_cast<const CalcError*>(&e)) return calc->kind();
    return std::nullopt;
}

// A box of `action` that does not hold a number; `text` is what it holds.
Failure Box_Failure(FailedAction action, FailedInput input, std::string_view text) {
    Failure f;
    f.action = action;
    f.kind = ErrorKind::TypeMismatch;
    f.input = input;
    f.input_text = text;
    return f;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reporting failures

void MainWindow::setFailureReporter(FailureReporter reporter) { reporter_ = std::move(reporter); }

void MainWindow::reportFailure(const Failure& failure, const std::string& sep) {
    const std::string folder = QDir::toNativeSeparators(QDir::currentPath()).toStdString();
    const FailureText t = Failure_Text(failure, {sep, folder, state_.TK0, state_.Tcr});
    const FailureReport report{From_Std(t.title), From_Std(t.text),
                               failure.action != FailedAction::PressureHint};
    if (reporter_) {
        reporter_(report);
        return;
    }
    if (report.modal) {
        QMessageBox box(QMessageBox::Warning, report.title, report.text, QMessageBox::Ok, this);
        box.exec();
    } else {
        QToolTip::showText(temperatureBox_->mapToGlobal(QPoint(0, temperatureBox_->height())),
                           report.text, temperatureBox_, QRect(), 8000);
    }
}

// ---------------------------------------------------------------------------
// Handlers

void MainWindow::continueToMenu() {
    titlePanel_->hide();
    menuBar()->show();
    soluteMenu_->menuAction()->setVisible(true);
    Set_Constants(state_);
}

void MainWindow::menuOpening() {
    report_.Close_Report();
    resultPanel_->hide();
    calculateButton_->hide();
}

void MainWindow::chooseSolute(const SoluteRecord& record) {
    static_cast<CatalogueEntry&>(state_) = CatalogueEntry(record);
    parametersPanel_->show();
    const std::string sep = Decimal_Separator();
    const double shown[3] = {state_.Xi, state_.Coef1, state_.Coef2};
    for (int i = 0; i < 3; ++i)
        parameterBoxes_[i]->setText(From_Std(Format_Number(shown[i], kParameterPattern, sep)));
}

void MainWindow::acceptParameters() {
    const std::string sep = Decimal_Separator();
    double values[3] = {};
    if (!readParameters(sep, values) || !openReport(values, sep)) return;
    calculateButton_->show();
    parametersPanel_->hide();
    inputPanel_->show();
    temperatureBox_->setFocus(Qt::OtherFocusReason);
}

// All three boxes are read before anything is stored, so a box that does not
// hold a number leaves the accepted parameters as they were.
bool MainWindow::readParameters(const std::string& sep, double (&values)[3]) {
    static constexpr FailedInput kInputs[3] = {FailedInput::Xi, FailedInput::A, FailedInput::B};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* box = parameterBoxes_[i];
        try {
            values[i] = Read_Box(*box, sep);
        } catch (const CalcError&) {
            const std::string text = box->text().toStdString();
            reportFailure(Box_Failure(FailedAction::Accept, kInputs[i], text), sep);
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
            return false;
        }
    }
    return true;
}

// Stores the parameters and opens the report under its header; should that
// fail, the parameters are put back as they were and no report stays open.
bool MainWindow::openReport(const double (&values)[3], const std::string& sep) {
    const double before[3] = {state_.Xi, state_.Coef1, state_.Coef2};
    state_.Xi = values[0];
    state_.Coef1 = values[1];
    state_.Coef2 = values[2];
    try {
        report_.Close_Report();
        report_.Open_Report(state_, sep);
        return true;
    } catch (const std::exception& e) {
        report_.Close_Report();
        state_.Xi = before[0];
        state_.Coef1 = before[1];
        state_.Coef2 = before[2];
        Failure failure;
        failure.action = FailedAction::Accept;
        failure.kind = Kind_Of(e);
        failure.message = e.what();
        reportFailure(failure, sep);
        return false;
    }
}

void MainWindow::pressureFocusIn() {
    // An empty box says nothing yet: the hint waits for a temperature.
    if (temperatureBox_->text().isEmpty()) return;
    const std::string sep = Decimal_Separator();
    double t = 0.0;
    try {
        t = Read_Box(*temperatureBox_, sep);
    } catch (const CalcError&) {
        // A passing note: the hint needs a temperature, and a message box
        // here would fight the user for the focus.
        const std::string text = temperatureBox_->text().toStdString();
        reportFailure(Box_Failure(FailedAction::PressureHint, FailedInput::Temperature, text), sep);
        return;
    }
    if (state_.Tcr - state_.TK0 > t)
        pressureLabel_->setText(QString::fromLatin1(kSaturationCaption));
}

void MainWindow::pressureFocusOut() {
    pressureLabel_->setText(QString::fromLatin1(kPressureCaption));
}

void MainWindow::calculate() {
    const std::string sep = Decimal_Separator();
    Failure failure;
    failure.action = FailedAction::Calculate;
    try {
        failure.input = FailedInput::Temperature;
        failure.temperature_c = Read_Box(*temperatureBox_, sep, 0.0);
        state_.TC = failure.temperature_c;
        temperatureBox_->setText(From_Std(Input_Box_Text(failure.temperature_c, sep)));
        failure.input = FailedInput::Pressure;
        failure.pressure_bar = Read_Box(*pressureBox_, sep, 1.0);
        resultPanel_->show();
        failure.input = FailedInput::None;
        runCase(failure.temperature_c, failure.pressure_bar, sep);
    } catch (const std::exception& e) {
        failure.kind = Kind_Of(e);
        failure.message = e.what();
        std::string text;
        if (failure.kind == ErrorKind::TypeMismatch && failure.input != FailedInput::None) {
            const bool temperature = failure.input == FailedInput::Temperature;
            text = (temperature ? temperatureBox_ : pressureBox_)->text().toStdString();
            failure.input_text = text;
        } else {
            failure.input = FailedInput::None;
        }
        reportFailure(failure, sep);
    }
}

// Everything that can fail (the derived values included) is done before the
// line is written and the first caption changed.
void MainWindow::runCase(double temperature_c, double pressure_bar, const std::string& sep) {
    const DerivedValues derived =
        Run_Case(state_, temperature_c, pressure_bar, [this, &sep](double used) {
            pressureBox_->setText(From_Std(Input_Box_Text(used, sep)));
        });
    const PanelCaptions captions = Result_Captions(state_, derived, sep);
    report_.Append_Result_Line(state_, derived, sep);
    showResults(captions);
}

void MainWindow::showResults(const PanelCaptions& captions) {
    resultPicture_->show();
    for (const auto& [name, text] : captions.items()) {
        QLabel* l = resultLabel(name);
        if (!l) continue;
        l->show();
        l->setText(From_Std(*text));
        // A value wider than its label would be cut off and misread; the
        // label grows to the right as far as the text needs.
        const int designed = l->property("designedWidth").toInt();
        const int needed = l->fontMetrics().horizontalAdvance(l->text()) + 1;
        l->resize(std::max(designed, needed), l->height());
    }
}

// ---------------------------------------------------------------------------
// Events

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pressureBox_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // Only a move of the focus inside the window counts: the window being
        // activated or a menu popping up does not enter or leave the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (event->type() == QEvent::FocusIn)
                pressureFocusIn();
            else
                pressureFocusOut();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    report_.Close_Report();
    QMainWindow::closeEvent(event);
}

}  // namespace aqvis
