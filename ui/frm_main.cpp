#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <cmath>
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

// Positions and sizes are kept in twips; the screen has 15 twips a pixel.
constexpr int Px(int twips) { return twips / 15; }

void Place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QFont Sans(qreal points, bool italic = false) {
    QFont f(Sans_Family());
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setItalic(italic);
    return f;
}

constexpr qreal kBasePoints = 9.75;
constexpr qreal kLargePoints = 12.0;
constexpr qreal kSmallPoints = 8.25;

const char* const kParameterPattern = "###0.0000";
const char* const kPressureCaption = "Pressure, bar";
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

struct SoluteEntry {
    const char* formula;
    QAction* frmMain::*action;
    void (frmMain::*handler)();
};

}  // namespace

void Prepare_Application(QApplication& app) {
    // The layout is fixed in pixels; one style everywhere keeps it as drawn.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    app.setPalette(app.style()->standardPalette());
    QApplication::setApplicationName(QStringLiteral("Aqvis"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("aqvis"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/aqvis/aqvis.svg")));
}

// ---------------------------------------------------------------------------

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Aqvis Thermodynamic Properties             v.2.0"));
    setFont(Sans(kBasePoints));
    Build_Controls();
    Build_Menu();
    Set_Tab_Order();
    adjustSize();
}

frmMain::~frmMain() { report_.Close_Report(); }

void frmMain::setFailureReporter(FailureReporter reporter) { reporter_ = std::move(reporter); }

void frmMain::Build_Controls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(Px(9735), Px(8385));
    setCentralWidget(client);

    auto label = [](QWidget* parent, const char* name, const QString& caption, QFont font) {
        auto* l = new QLabel(caption, parent);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(font);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    auto box = [](QWidget* parent, const char* name, const QString& text) {
        auto* t = new QLineEdit(text, parent);
        t->setObjectName(QString::fromLatin1(name));
        t->setFont(Sans(kLargePoints));
        return t;
    };
    auto button = [](QWidget* parent, const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(Sans(kBasePoints));
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    auto panel = [client](const char* name, const QString& caption, QFont font) {
        auto* g = new QGroupBox(caption, client);
        g->setObjectName(QString::fromLatin1(name));
        g->setFont(font);
        return g;
    };

    // Title screen.  The picture comes first so that the button lies on it.
    frameTitle = panel("frameTitle", QString(), Sans(kBasePoints));
    Place(frameTitle, 360, 0, 9015, 7815);
    imgTitle = new TitlePicture(frameTitle);
    imgTitle->setObjectName(QStringLiteral("imgTitle"));
    Place(imgTitle, 0, 120, 10800, 8100);
    cmdContinue = button(frameTitle, "cmdContinue", QStringLiteral("Continue"));
    Place(cmdContinue, 3960, 6840, 1335, 375);

    // Temperature and pressure.
    frmTP = panel("frmTP", QString(), Sans(kSmallPoints));
    Place(frmTP, 720, 120, 8175, 1215);
    lblTemp = label(frmTP, "lblTemp", QStringLiteral("Temperature, \u00B0C"), Sans(kLargePoints));
    Place(lblTemp, 120, 480, 1815, 375);
    txtTemp = box(frmTP, "txtTemp", QString());
    Place(txtTemp, 1920, 480, 1215, 375);
    lblPress = label(frmTP, "lblPress", QString::fromLatin1(kPressureCaption), Sans(kLargePoints));
    Place(lblPress, 3240, 480, 2055, 375);
    txtPress = box(frmTP, "txtPress", QString());
    txtPress->setToolTip(QStringLiteral("Key in 0 for water saturation pressure"));
    Place(txtPress, 5400, 480, 1335, 375);
    cmdCalculate = button(frmTP, "cmdCalculate", QStringLiteral("Calculate"));
    Place(cmdCalculate, 6840, 480, 1095, 375);
    cmdCalculate->hide();
    frmTP->hide();

    // Parameters of the solute's equation of state.
    frmParms = panel("frmParms", QStringLiteral("Parameters of the EoS"), Sans(kBasePoints));
    Place(frmParms, 3840, 1440, 2175, 2295);
    QFont greek(QStringLiteral("DejaVu Serif"));
    greek.setStyleHint(QFont::Serif);
    greek.setPointSizeF(14.25);
    greek.setItalic(true);
    lblXi = label(frmParms, "lblXi", QStringLiteral("\u03BE"), greek);
    Place(lblXi, 360, 480, 375, 375);
    txtPrmXi = box(frmParms, "txtPrmXi", QStringLiteral("0.1000"));
    Place(txtPrmXi, 720, 480, 1095, 375);
    lblA = label(frmParms, "lblA", QStringLiteral("a"), Sans(kLargePoints, true));
    Place(lblA, 360, 840, 375, 375);
    txtPrmA = box(frmParms, "txtPrmA", QStringLiteral("3.0800"));
    Place(txtPrmA, 720, 840, 1095, 405);
    lblB = label(frmParms, "lblB", QStringLiteral("b"), Sans(kLargePoints, true));
    Place(lblB, 360, 1200, 375, 375);
    txtPrmB = box(frmParms, "txtPrmB", QStringLiteral("-3.5700"));
    Place(txtPrmB, 720, 1200, 1095, 405);
    cmdAccept = button(frmParms, "cmdAccept", QStringLiteral("Accept"));
    Place(cmdAccept, 720, 1800, 1095, 375);
    frmParms->hide();

    // Results: the picture of headings, then the values over it.
    frmResult = panel("frmResult", QStringLiteral("Result of Calculatuon"), Sans(kLargePoints));
    Place(frmResult, 720, 1680, 8175, 5895);
    imgResult = new ResultPicture(frmResult);
    imgResult->setObjectName(QStringLiteral("imgResult"));
    Place(imgResult, 120, 240, 7650, 5520);
    imgResult->hide();
    struct ResultPlace {
        QLabel* frmMain::*member;
        const char* name;
        const char* placeholder;
        int left, top, width, height;
    };
    static const ResultPlace kResultLabels[] = {
        {&frmMain::lbllnfH2O, "lbllnfH2O", "lnfH2O", 720, 1680, 1215, 375},
        {&frmMain::lbldH2O, "lbldH2O", "dH2O", 2760, 1680, 1095, 375},
        {&frmMain::lblVH2O, "lblVH2O", "VH2O", 4800, 1680, 1095, 375},
        {&frmMain::lblCpH2O, "lblCpH2O", "CpH2O", 960, 2520, 975, 375},
        {&frmMain::lblCompr, "lblCompr", "Compr", 2760, 2520, 1335, 375},
        {&frmMain::lblExpan, "lblExpan", "Expansion", 4800, 2520, 1335, 375},
        {&frmMain::lblFormula, "lblFormula", "Formula", 3120, 3240, 2055, 495},
        {&frmMain::lbllnkH, "lbllnkH", "lnkH", 480, 3960, 1335, 375},
        {&frmMain::lblK0, "lblK0", "lnK0", 2640, 3960, 1815, 375},
        {&frmMain::lblV, "lblV", "V", 5640, 3960, 1335, 375},
        {&frmMain::lblgcal, "lblgcal", "g_cal", 1440, 4920, 1335, 375},
        {&frmMain::lblScal, "lblScal", "S_cal", 3120, 4920, 1335, 255},
        {&frmMain::lblCpcal, "lblCpcal", "Cp_cal", 5160, 4920, 1215, 375},
        {&frmMain::lblgJ, "lblgJ", "g_J", 1440, 5280, 1335, 375},
        {&frmMain::lblSJ, "lblSJ", "S_J", 3120, 5280, 1335, 375},
        {&frmMain::lblCpJ, "lblCpJ", "Cp_J", 5160, 5280, 1215, 375},
    };
    for (const ResultPlace& r : kResultLabels) {
        QLabel* l = label(frmResult, r.name, QString::fromLatin1(r.placeholder), Sans(kLargePoints));
        Place(l, r.left, r.top, r.width, r.height);
        l->setProperty("designedWidth", l->width());
        if (r.member != &frmMain::lblFormula) l->hide();
        this->*(r.member) = l;
    }
    frmResult->hide();

    txtPress->installEventFilter(this);
    connect(cmdContinue, &QPushButton::clicked, this, &frmMain::cmdContinue_Click);
    connect(cmdAccept, &QPushButton::clicked, this, &frmMain::cmdAccept_Click);
    connect(cmdCalculate, &QPushButton::clicked, this, &frmMain::cmdCalculate_Click);
}

void frmMain::Build_Menu() {
    static const SoluteEntry kEntries[] = {
        {"H2", &frmMain::mnuH2, &frmMain::mnuH2_Click},
        {"N2", &frmMain::mnuN2, &frmMain::mnuN2_Click},
        {"O2", &frmMain::mnuO2, &frmMain::mnuO2_Click},
        {"H2S", &frmMain::mnuH2S, &frmMain::mnuH2S_Click},
        {"CO2", &frmMain::mnuCO2, &frmMain::mnuCO2_Click},
        {"Ar", &frmMain::mnuAr, &frmMain::mnuAr_Click},
        {"Ne", &frmMain::mnuNe, &frmMain::mnuNe_Click},
        {"NH3", &frmMain::mnuNH3, &frmMain::mnuNH3_Click},
        {"SO2", &frmMain::mnuSO2, &frmMain::mnuSO2_Click},
        {"CH4", &frmMain::mnuCH4, &frmMain::mnuCH4_Click},
        {"C2H4", &frmMain::mnuC2H4, &frmMain::mnuC2H4_Click},
        {"C2H6", &frmMain::mnuC2H6, &frmMain::mnuC2H6_Click},
        {"C3H8", &frmMain::mnuC3H8, &frmMain::mnuC3H8_Click},
        {"C4H10", &frmMain::mnuC4H10, &frmMain::mnuC4H10_Click},
        {"C6H6", &frmMain::mnuC6H6, &frmMain::mnuC6H6_Click},
        {"HCl", &frmMain::mnuHCl, &frmMain::mnuHCl_Click},
        {"HF", &frmMain::mnuHF, &frmMain::mnuHF_Click},
        {"H3BO3", &frmMain::mnuH3BO3, &frmMain::mnuH3BO3_Click},
        {"H3AsO3", &frmMain::mnuH3AsO3, &frmMain::mnuH3AsO3_Click},
    };

    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);  // the bar is hidden and shown with the menu
    bar->setObjectName(QStringLiteral("menuBar"));
    mnuMain = bar->addMenu(QStringLiteral("Solutes Available"));
    mnuMain->setObjectName(QStringLiteral("mnuMain"));
    connect(mnuMain, &QMenu::aboutToShow, this, &frmMain::mnuMain_Click);

    // Entries in catalogue order; the hydrocarbons go into their submenu,
    // which takes the place of the first of them.
    for (const SoluteRecord& r : Solute_Catalogue) {
        const SoluteEntry* entry = nullptr;
        for (const SoluteEntry& e : kEntries)
            if (std::string_view(e.formula) == r.Formula) entry = &e;
        if (!entry) continue;
        QMenu* target = mnuMain;
        if (r.hydrocarbon) {
            if (!mnuHydrocarbons) {
                mnuHydrocarbons = mnuMain->addMenu(QStringLiteral("Hydrocarbons"));
                mnuHydrocarbons->setObjectName(QStringLiteral("mnuHydrocarbons"));
            }
            target = mnuHydrocarbons;
        }
        QAction* action = target->addAction(QString::fromUtf8(r.Formula));
        action->setObjectName(QStringLiteral("mnu") + QString::fromUtf8(r.Formula));
        this->*(entry->action) = action;
        connect(action, &QAction::triggered, this, entry->handler);
    }

    mnuMain->menuAction()->setVisible(false);
    bar->hide();

    // The keyboard way into the menu (the entries themselves have no keys).
    auto* open_menu = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(open_menu, &QShortcut::activated, this, [this] {
        if (menuBar()->isVisible()) menuBar()->setActiveAction(mnuMain->menuAction());
    });
}

void frmMain::Set_Tab_Order() {
    QWidget* const order[] = {txtTemp, txtPress, txtPrmXi, txtPrmA,
                              txtPrmB, cmdAccept, cmdCalculate, cmdContinue};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

QLabel* frmMain::Result_Label(const char* name) const {
    return frmResult->findChild<QLabel*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

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
