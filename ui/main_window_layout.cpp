// The window's controls and menu, placed as laid out in twips, and the tab
// order; the handlers that make them work are in main_window.cpp.

#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>

#include <iterator>
#include <string_view>

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

}  // namespace aqvis
