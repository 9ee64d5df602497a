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
#include <array>
#include <exception>

#include "core/origin_values.h"
#include "driver/case_runner.h"
#include "results/captions.h"
#include "results/decimal_separator.h"
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

QString Format(double value, const char* pattern, const std::string& sep) {
    return From_Std(Format_Number(value, pattern, sep));
}

// Reads a box that must hold a number; an empty box is a type mismatch.
double Read_Box(const QString& text, const std::string& sep) {
    if (text.isEmpty()) throw CalcError(ErrorKind::TypeMismatch, "the box is empty");
    return Read_Number(text.toStdString(), sep);
}

QString Title_Of(ErrorKind kind) { return QString::fromUtf8(Error_Kind_Title(kind)); }

QString Quoted(const QString& text) { return QStringLiteral("\u201C%1\u201D").arg(text); }

QString Box_Content(const QString& what, const QString& text) {
    if (text.isEmpty()) return QStringLiteral("%1 is empty").arg(what);
    return QStringLiteral("%1 holds %2, which is not a number").arg(what, Quoted(text));
}

// The first sentence of a report: the kind of error, then what the
// calculation said about it (which often names the kind itself).
QString Lead(const QString& title, const char* what) {
    QString text = QString::fromUtf8(what).trimmed();
    if (!text.startsWith(title)) text = title + QStringLiteral(": ") + text;
    if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
    return text;
}

QString Number_Example(const char* whole, const char* decimals, const std::string& sep) {
    return QString::fromLatin1(whole) + From_Std(sep) + QString::fromLatin1(decimals);
}

}  // namespace

// ---------------------------------------------------------------------------
// Reporting failures

void frmMain::Report_Failure(const FailureReport& report) {
    if (reporter_) {
        reporter_(report);
        return;
    }
    if (report.modal) {
        QMessageBox box(QMessageBox::Warning, report.title, report.text, QMessageBox::Ok, this);
        box.exec();
    } else {
        QToolTip::showText(txtTemp->mapToGlobal(QPoint(0, txtTemp->height())), report.text,
                           txtTemp, QRect(), 8000);
    }
}

// ---------------------------------------------------------------------------
// Handlers

void frmMain::cmdContinue_Click() {
    frameTitle->hide();
    menuBar()->show();
    mnuMain->menuAction()->setVisible(true);
    Origin_Values(s_);
}

void frmMain::mnuMain_Click() {
    report_.Close_Report();
    frmResult->hide();
    cmdCalculate->hide();
}

void frmMain::mnuH2_Click() { Choose_Solute("H2"); }
void frmMain::mnuN2_Click() { Choose_Solute("N2"); }
void frmMain::mnuO2_Click() { Choose_Solute("O2"); }
void frmMain::mnuH2S_Click() { Choose_Solute("H2S"); }
void frmMain::mnuCO2_Click() { Choose_Solute("CO2"); }
void frmMain::mnuAr_Click() { Choose_Solute("Ar"); }
void frmMain::mnuNe_Click() { Choose_Solute("Ne"); }
void frmMain::mnuNH3_Click() { Choose_Solute("NH3"); }
void frmMain::mnuSO2_Click() { Choose_Solute("SO2"); }
void frmMain::mnuCH4_Click() { Choose_Solute("CH4"); }
void frmMain::mnuC2H4_Click() { Choose_Solute("C2H4"); }
void frmMain::mnuC2H6_Click() { Choose_Solute("C2H6"); }
void frmMain::mnuC3H8_Click() { Choose_Solute("C3H8"); }
void frmMain::mnuC4H10_Click() { Choose_Solute("C4H10"); }
void frmMain::mnuC6H6_Click() { Choose_Solute("C6H6"); }
void frmMain::mnuHCl_Click() { Choose_Solute("HCl"); }
void frmMain::mnuHF_Click() { Choose_Solute("HF"); }
void frmMain::mnuH3BO3_Click() { Choose_Solute("H3BO3"); }
void frmMain::mnuH3AsO3_Click() { Choose_Solute("H3AsO3"); }

void frmMain::Choose_Solute(const char* formula) {
    const SoluteRecord* record = Find_Solute(formula);
    if (!record) return;
    Load_Solute(s_, *record);
    frmParms->show();
    const std::string sep = Decimal_Separator();
    txtPrmXi->setText(Format(s_.Xi, kParameterPattern, sep));
    txtPrmA->setText(Format(s_.Coef1, kParameterPattern, sep));
    txtPrmB->setText(Format(s_.Coef2, kParameterPattern, sep));
}

void frmMain::cmdAccept_Click() {
    const std::string sep = Decimal_Separator();

    // All three boxes are read before anything is stored, so a box that does
    // not hold a number leaves the accepted parameters as they were.
    struct Box {
        QLineEdit* box;
        const char* name;
        double value;
    };
    std::array<Box, 3> boxes{{{txtPrmXi, "\u03BE", 0.0}, {txtPrmA, "a", 0.0}, {txtPrmB, "b", 0.0}}};
    for (Box& b : boxes) {
        const QString text = b.box->text();
        try {
            b.value = Read_Box(text, sep);
        } catch (const CalcError&) {
            Report_Failure(
                {Title_Of(ErrorKind::TypeMismatch),
                 QStringLiteral("Type mismatch: %1.\n\nType a number such as %2 (decimal "
                                "separator %3) and press Accept again; the parameters "
                                "were not accepted.")
                     .arg(Box_Content(QStringLiteral("the box ") + QString::fromUtf8(b.name), text),
                          Number_Example("-8", "4596", sep), Quoted(From_Std(sep))),
                 true});
            b.box->setFocus(Qt::OtherFocusReason);
            b.box->selectAll();
            return;
        }
    }

    const double before[3] = {s_.Xi, s_.Coef1, s_.Coef2};
    s_.Xi = boxes[0].value;
    s_.Coef1 = boxes[1].value;
    s_.Coef2 = boxes[2].value;
    try {
        report_.Close_Report();
        report_.Open_Report(s_, sep);
    } catch (const std::exception& e) {
        report_.Close_Report();
        s_.Xi = before[0];
        s_.Coef1 = before[1];
        s_.Coef2 = before[2];
        const auto* calc = dynamic_cast<const CalcError*>(&e);
        const ErrorKind kind = calc ? calc->kind() : ErrorKind::FileError;
        Report_Failure(
            {Title_Of(kind),
             QStringLiteral("%1\n\nThe parameters were not accepted. The report file "
                            "\"%2\" is written in the folder %3: make sure that the folder "
                            "can be written and that %2 there is a writable file, then press "
                            "Accept again.")
                 .arg(Lead(Title_Of(kind), e.what()),
                      QString::fromLatin1(kReportFileName),
                      QDir::toNativeSeparators(QDir::currentPath())),
             true});
        return;
    }

    cmdCalculate->show();
    frmParms->hide();
    frmTP->show();
    txtTemp->setFocus(Qt::OtherFocusReason);
}

void frmMain::txtPress_GotFocus() {
    const QString text = txtTemp->text();
    // An empty box says nothing yet: the hint waits for a temperature.
    if (text.isEmpty()) return;
    double t = 0.0;
    try {
        t = Read_Box(text, Decimal_Separator());
    } catch (const CalcError&) {
        // A passing note: the hint needs a temperature, and a message box
        // here would fight the user for the focus.
        Report_Failure({Title_Of(ErrorKind::TypeMismatch),
                        QStringLiteral("Type mismatch: %1, so the pressure box cannot tell "
                                       "whether 0 stands for the saturation pressure.")
                            .arg(Box_Content(QStringLiteral("the temperature box"), text)),
                        false});
        return;
    }
    if (s_.Tcr - s_.TK0 > t) lblPress->setText(QString::fromLatin1(kSaturationCaption));
}

void frmMain::txtPress_LostFocus() { lblPress->setText(QString::fromLatin1(kPressureCaption)); }

void frmMain::cmdCalculate_Click() {
    const std::string sep = Decimal_Separator();
    enum class Stage { Temperature, Pressure, Calculation } stage = Stage::Temperature;
    double tc = 0.0;
    double pbar = 1.0;
    try {
        const QString temp_text = txtTemp->text();
        if (!temp_text.isEmpty()) tc = Read_Number(temp_text.toStdString(), sep);
        s_.TC = tc;
        txtTemp->setText(From_Std(Input_Box_Text(tc, sep)));

        stage = Stage::Pressure;
        const QString press_text = txtPress->text();
        if (!press_text.isEmpty()) pbar = Read_Number(press_text.toStdString(), sep);
        frmResult->show();

        // Everything that can fail (the derived values included) is done
        // before the line is written and the first caption changed.
        stage = Stage::Calculation;
        const DerivedValues derived = Run_Case(s_, tc, pbar, [this, &sep](const CalcState& st) {
            txtPress->setText(From_Std(Input_Box_Text(st.Pbar, sep)));
        });
        const PanelCaptions captions = Result_Captions(s_, derived, sep);
        report_.Append_Result_Line(s_, derived, sep);
        Show_Results(captions);
    } catch (const std::exception& e) {
        const auto* calc = dynamic_cast<const CalcError*>(&e);
        const ErrorKind kind = calc ? calc->kind() : ErrorKind::InvalidOperation;
        const QString title = calc ? Title_Of(kind) : QStringLiteral("Error");
        const QString kept = QStringLiteral(
            "The results panel keeps the previous results and no line was written to %1.")
                                 .arg(QString::fromLatin1(kReportFileName));
        QString text;
        if (kind == ErrorKind::TypeMismatch && stage != Stage::Calculation) {
            const bool temp = stage == Stage::Temperature;
            const QString what = temp ? QStringLiteral("the temperature box")
                                      : QStringLiteral("the pressure box");
            const QString hint =
                temp ? QStringLiteral("Type a temperature in \u00B0C such as %1, or leave the "
                                      "box empty for 0 \u00B0C.")
                           .arg(Number_Example("25", "0", sep))
                     : QStringLiteral("Type a pressure in bar such as %1, 0 for the saturation "
                                      "pressure below the critical temperature, or leave the "
                                      "box empty for 1 bar.")
                           .arg(Number_Example("100", "0", sep));
            text = QStringLiteral("Type mismatch: %1.\n\n%2\n\n%3")
                       .arg(Box_Content(what, temp ? txtTemp->text() : txtPress->text()), hint,
                            kept);
        } else {
            QString hint;
            const bool supercritical = s_.TK0 + tc > s_.Tcr;
            if (tc <= -s_.TK0) {
                hint = QStringLiteral("The temperature must lie above \u2212273.15 \u00B0C; "
                                      "the model is meant for 0 to 500 \u00B0C.");
            } else if (kind == ErrorKind::DivisionByZero && supercritical && pbar == 0.0) {
                hint = QStringLiteral(
                    "Above the critical temperature of water (%1 \u00B0C) a pressure of 0 "
                    "does not stand for the saturation pressure: type a pressure above 0 bar.")
                           .arg(Format(s_.Tcr - s_.TK0, "##0.00", sep));
            } else if (kind == ErrorKind::Overflow) {
                hint = QStringLiteral(
                    "A result is too large to be shown. Check \u03BE, a and b (choosing the "
                    "solute again restores its own values), the temperature and the pressure.");
            } else if (kind == ErrorKind::NoConvergence) {
                hint = QStringLiteral(
                    "The density of water could not be found at this temperature and pressure. "
                    "Try a state within 0 to 500 \u00B0C and 1 to 2000 bar.");
            } else if (kind == ErrorKind::FileError) {
                hint = QStringLiteral(
                    "The report file could not be written. Open the menu, choose the solute "
                    "and press Accept to open it again.");
            } else {
                hint = QStringLiteral(
                    "Check the temperature and the pressure: the model is meant for 0 to "
                    "500 \u00B0C and 1 to 2000 bar, and above the critical temperature of "
                    "water the pressure must be above 0.");
            }
            text = QStringLiteral("%1\n\n%2\n\n%3").arg(Lead(title, e.what()), hint, kept);
        }
        Report_Failure({title, text, true});
    }
}

void frmMain::Show_Results(const PanelCaptions& captions) {
    imgResult->show();
    static const char* const kShowOrder[] = {
        "lbllnfH2O", "lbldH2O", "lblVH2O", "lblCpH2O", "lblCompr", "lblExpan", "lbllnkH", "lblK0",
        "lblV",      "lblgcal", "lblScal", "lblCpcal", "lblgJ",    "lblSJ",    "lblCpJ"};
    for (const char* name : kShowOrder)
        if (QLabel* l = Result_Label(name)) l->show();
    for (const auto& [name, text] : captions.items()) {
        QLabel* l = Result_Label(name);
        if (!l) continue;
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

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPress &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // Only a move of the focus inside the window counts: the window being
        // activated or a menu popping up does not enter or leave the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (event->type() == QEvent::FocusIn)
                txtPress_GotFocus();
            else
                txtPress_LostFocus();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    report_.Close_Report();
    QMainWindow::closeEvent(event);
}

}  // namespace aqvis
