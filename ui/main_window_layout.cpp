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

QLabel* Make_Label(QWidget* parent, const char* name, const QString& caption, const QFont& font) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLineEdit* Make_Box(QWidget* parent, const char* name, const QString& text) {
    auto* t = new QLineEdit(text, parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setFont(Sans(kLargePoints));
    return t;
}

QPushButton* Make_Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(Sans(kBasePoints));
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QGroupBox* Make_Panel(QWidget* parent, const char* name, const QString& caption,
                      const QFont& font) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setFont(font);
    return g;
}

// The labels of the results panel, in its order: the names the captions of a
// calculation are given by, the placeholder each shows until the first one,
// and the place in twips.
struct ResultLabel {
    const char* name;
    const char* placeholder;
    int left, top, width, height;
};
constexpr ResultLabel kResultLabels[] = {
    {"lbllnfH2O", "lnfH2O", 720, 1680, 1215, 375},
    {"lbldH2O", "dH2O", 2760, 1680, 1095, 375},
    {"lblVH2O", "VH2O", 4800, 1680, 1095, 375},
    {"lblCpH2O", "CpH2O", 960, 2520, 975, 375},
    {"lblCompr", "Compr", 2760, 2520, 1335, 375},
    {"lblExpan", "Expansion", 4800, 2520, 1335, 375},
    {"lblFormula", "Formula", 3120, 3240, 2055, 495},
    {"lbllnkH", "lnkH", 480, 3960, 1335, 375},
    {"lblK0", "lnK0", 2640, 3960, 1815, 375},
    {"lblV", "V", 5640, 3960, 1335, 375},
    {"lblgcal", "g_cal", 1440, 4920, 1335, 375},
    {"lblScal", "S_cal", 3120, 4920, 1335, 255},
    {"lblCpcal", "Cp_cal", 5160, 4920, 1215, 375},
    {"lblgJ", "g_J", 1440, 5280, 1335, 375},
    {"lblSJ", "S_J", 3120, 5280, 1335, 375},
    {"lblCpJ", "Cp_J", 5160, 5280, 1215, 375},
};
// The one label in sight before the first calculation (its panel hides it).
constexpr const char* kAlwaysShownLabel = "lblFormula";

}  // namespace

void Prepare_Application(QApplication& app) {
    // The layout is fixed in pixels; one style everywhere keeps it as drawn.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    app.setPalette(app.style()->standardPalette());
    QApplication::setApplicationName(QStringLiteral("Aqvis"));
    QApplication::setApplicationVersion(QStringLiteral(AQVIS_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("aqvis"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/aqvis/aqvis.svg")));
}

// ---------------------------------------------------------------------------

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Aqvis Thermodynamic Properties             v." AQVIS_VERSION));
    setFont(Sans(kBasePoints));
    buildControls();
    buildMenu();
    orderTabs();
    adjustSize();
}

MainWindow::~MainWindow() { report_.Close_Report(); }

void MainWindow::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(Px(9735), Px(8385));
    setCentralWidget(client);

    // Title screen.  The picture comes first so that the button lies on it.
    titlePanel_ = Make_Panel(client, "frameTitle", QString(), Sans(kBasePoints));
    Place(titlePanel_, 360, 0, 9015, 7815);
    auto* picture = new TitlePicture(titlePanel_);
    picture->setObjectName(QStringLiteral("imgTitle"));
    Place(picture, 0, 120, 10800, 8100);
    QPushButton* proceed = Make_Button(titlePanel_, "cmdContinue", QStringLiteral("Continue"));
    Place(proceed, 3960, 6840, 1335, 375);
    connect(proceed, &QPushButton::clicked, this, &MainWindow::continueToMenu);

    buildInputPanel(client);
    buildParametersPanel(client);
    buildResultPanel(client);
}

// Temperature and pressure, and the button that starts the calculation.
void MainWindow::buildInputPanel(QWidget* client) {
    inputPanel_ = Make_Panel(client, "frmTP", QString(), Sans(kSmallPoints));
    Place(inputPanel_, 720, 120, 8175, 1215);
    QLabel* caption = Make_Label(inputPanel_, "lblTemp", QStringLiteral("Temperature, \u00B0C"),
                                 Sans(kLargePoints));
    Place(caption, 120, 480, 1815, 375);
    temperatureBox_ = Make_Box(inputPanel_, "txtTemp", QString());
    Place(temperatureBox_, 1920, 480, 1215, 375);
    pressureLabel_ = Make_Label(inputPanel_, "lblPress", QString::fromLatin1(kPressureCaption),
                                Sans(kLargePoints));
    Place(pressureLabel_, 3240, 480, 2055, 375);
    pressureBox_ = Make_Box(inputPanel_, "txtPress", QString());
    pressureBox_->setToolTip(QStringLiteral("Key in 0 for water saturation pressure"));
    Place(pressureBox_, 5400, 480, 1335, 375);
    pressureBox_->installEventFilter(this);
    calculateButton_ = Make_Button(inputPanel_, "cmdCalculate", QStringLiteral("Calculate"));
    Place(calculateButton_, 6840, 480, 1095, 375);
    connect(calculateButton_, &QPushButton::clicked, this, &MainWindow::calculate);
    calculateButton_->hide();
    inputPanel_->hide();
}

// The three parameters of the solute's equation of state.
void MainWindow::buildParametersPanel(QWidget* client) {
    parametersPanel_ = Make_Panel(client, "frmParms", QStringLiteral("Parameters of the EoS"),
                                  Sans(kBasePoints));
    Place(parametersPanel_, 3840, 1440, 2175, 2295);
    QFont greek(QStringLiteral("DejaVu Serif"));
    greek.setStyleHint(QFont::Serif);
    greek.setPointSizeF(14.25);
    greek.setItalic(true);
    struct Parameter {
        const char* label;
        QString symbol;
        QFont font;
        const char* box;
        QString start;
        int top, box_height;
    };
    const QFont italic = Sans(kLargePoints, true);
    const Parameter parameters[3] = {
        {"lblXi", QStringLiteral("\u03BE"), greek, "txtPrmXi", QStringLiteral("0.1000"), 480, 375},
        {"lblA", QStringLiteral("a"), italic, "txtPrmA", QStringLiteral("3.0800"), 840, 405},
        {"lblB", QStringLiteral("b"), italic, "txtPrmB", QStringLiteral("-3.5700"), 1200, 405},
    };
    for (int i = 0; i < 3; ++i) {
        const Parameter& p = parameters[i];
        Place(Make_Label(parametersPanel_, p.label, p.symbol, p.font), 360, p.top, 375, 375);
        parameterBoxes_[i] = Make_Box(parametersPanel_, p.box, p.start);
        Place(parameterBoxes_[i], 720, p.top, 1095, p.box_height);
    }
    QPushButton* accept = Make_Button(parametersPanel_, "cmdAccept", QStringLiteral("Accept"));
    Place(accept, 720, 1800, 1095, 375);
    connect(accept, &QPushButton::clicked, this, &MainWindow::acceptParameters);
    parametersPanel_->hide();
}

// The picture of headings, then the values over it.
void MainWindow::buildResultPanel(QWidget* client) {
    resultPanel_ = Make_Panel(client, "frmResult", QStringLiteral("Result of Calculatuon"),
                              Sans(kLargePoints));
    Place(resultPanel_, 720, 1680, 8175, 5895);
    resultPicture_ = new ResultPicture(resultPanel_);
    resultPicture_->setObjectName(QStringLiteral("imgResult"));
    Place(resultPicture_, 120, 240, 7650, 5520);
    resultPicture_->hide();
    for (const ResultLabel& r : kResultLabels) {
        QLabel* l = Make_Label(resultPanel_, r.name, QString::fromLatin1(r.placeholder),
                               Sans(kLargePoints));
        Place(l, r.left, r.top, r.width, r.height);
        l->setProperty("designedWidth", l->width());
        if (qstrcmp(r.name, kAlwaysShownLabel) != 0) l->hide();
    }
    resultPanel_->hide();
}

QLabel* MainWindow::resultLabel(const char* name) const {
    return resultPanel_->findChild<QLabel*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

// The entries in catalogue order, each with the one handler; the
// hydrocarbons go into their submenu, which takes the place of the first of
// them.
void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);  // the bar is hidden and shown with the menu
    bar->setObjectName(QStringLiteral("menuBar"));
    soluteMenu_ = bar->addMenu(QStringLiteral("Solutes Available"));
    soluteMenu_->setObjectName(QStringLiteral("mnuMain"));
    connect(soluteMenu_, &QMenu::aboutToShow, this, &MainWindow::menuOpening);

    QMenu* hydrocarbons = nullptr;
    for (const SoluteRecord& r : Solute_Catalogue) {
        if (r.hydrocarbon && !hydrocarbons) {
            hydrocarbons = soluteMenu_->addMenu(QStringLiteral("Hydrocarbons"));
            hydrocarbons->setObjectName(QStringLiteral("mnuHydrocarbons"));
        }
        QMenu* menu = r.hydrocarbon ? hydrocarbons : soluteMenu_;
        QAction* entry = menu->addAction(QString::fromUtf8(r.Formula));
        entry->setObjectName(QStringLiteral("mnu") + QString::fromUtf8(r.Formula));
        connect(entry, &QAction::triggered, this, [this, &r] { chooseSolute(r); });
    }

    soluteMenu_->menuAction()->setVisible(false);
    bar->hide();

    // The keyboard way into the menu (the entries themselves have no keys).
    auto* open_menu = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(open_menu, &QShortcut::activated, this, [this] {
        if (menuBar()->isVisible()) menuBar()->setActiveAction(soluteMenu_->menuAction());
    });
}

void MainWindow::orderTabs() {
    static const char* const kOrder[] = {"txtTemp", "txtPress",  "txtPrmXi",     "txtPrmA",
                                         "txtPrmB", "cmdAccept", "cmdCalculate", "cmdContinue"};
    QWidget* previous = nullptr;
    for (const char* name : kOrder) {
        QWidget* next = findChild<QWidget*>(QString::fromLatin1(name));
        if (previous) setTabOrder(previous, next);
        previous = next;
    }
}

}  // namespace aqvis
