// The window's layout and the walk through its screens: title, menu only,
// parameters, input, results, and back to the menu.

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "ui_bench.h"

using aqvis::test::Bench;

namespace {

struct Place {
    const char* name;
    int left, top, width, height;  // twips
    bool start_shown;
};

// Every control, with its place in its parent and its own start visibility.
const Place kPlaces[] = {
    {"frameTitle", 360, 0, 9015, 7815, true},
    {"frmTP", 720, 120, 8175, 1215, false},
    {"frmParms", 3840, 1440, 2175, 2295, false},
    {"frmResult", 720, 1680, 8175, 5895, false},
    {"cmdContinue", 3960, 6840, 1335, 375, true},
    {"imgTitle", 0, 120, 10800, 8100, true},
    {"lblTemp", 120, 480, 1815, 375, true},
    {"txtTemp", 1920, 480, 1215, 375, true},
    {"lblPress", 3240, 480, 2055, 375, true},
    {"txtPress", 5400, 480, 1335, 375, true},
    {"cmdCalculate", 6840, 480, 1095, 375, false},
    {"lblXi", 360, 480, 375, 375, true},
    {"txtPrmXi", 720, 480, 1095, 375, true},
    {"lblA", 360, 840, 375, 375, true},
    {"txtPrmA", 720, 840, 1095, 405, true},
    {"lblB", 360, 1200, 375, 375, true},
    {"txtPrmB", 720, 1200, 1095, 405, true},
    {"cmdAccept", 720, 1800, 1095, 375, true},
    {"imgResult", 120, 240, 7650, 5520, false},
    {"lbllnfH2O", 720, 1680, 1215, 375, false},
    {"lbldH2O", 2760, 1680, 1095, 375, false},
    {"lblVH2O", 4800, 1680, 1095, 375, false},
    {"lblCpH2O", 960, 2520, 975, 375, false},
    {"lblCompr", 2760, 2520, 1335, 375, false},
    {"lblExpan", 4800, 2520, 1335, 375, false},
    {"lblFormula", 3120, 3240, 2055, 495, true},
    {"lbllnkH", 480, 3960, 1335, 375, false},
    {"lblK0", 2640, 3960, 1815, 375, false},
    {"lblV", 5640, 3960, 1335, 375, false},
    {"lblgcal", 1440, 4920, 1335, 375, false},
    {"lblScal", 3120, 4920, 1335, 255, false},
    {"lblCpcal", 5160, 4920, 1215, 375, false},
    {"lblgJ", 1440, 5280, 1335, 375, false},
    {"lblSJ", 3120, 5280, 1335, 375, false},
    {"lblCpJ", 5160, 5280, 1215, 375, false},
};

QWidget* Control(Bench& b, const char* name) {
    return b.w().findChild<QWidget*>(QString::fromLatin1(name));
}

// The controls that a person sees, of those that come and go.
QStringList Visible(Bench& b) {
    static const char* const kWatched[] = {
        "frameTitle", "cmdContinue", "frmTP", "txtTemp", "txtPress", "cmdCalculate",
        "frmParms", "txtPrmXi", "txtPrmA", "txtPrmB", "cmdAccept", "frmResult", "imgResult",
        "lbllnkH", "lblFormula"};
    QStringList out;
    for (const char* name : kWatched)
        if (b.shown(name)) out << QString::fromLatin1(name);
    if (b.w().menuBar()->isVisible()) out << QStringLiteral("menu");
    return out;
}

QStringList Split(const char* names) {
    return QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

class ScreenFlowTest : public QObject {
    Q_OBJECT
private slots:
    void windowAndLayout();
    void typefaces();
    void titleScreenHasNoMenu();
    void menuEntries();
    void screensShowTheirControls();
    void openingTheMenuHidesResultsAndClosesTheReport();
    void tabOrderAfterAccept();
    void pressureHintFollowsTheTemperature();
    void pressureHintIgnoresWindowActivation();
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();
};

void ScreenFlowTest::windowAndLayout() {
    Bench b;
    QCOMPARE(b.w().windowTitle(), QStringLiteral("Aqvis Thermodynamic Properties             v.2.0"));
    QCOMPARE(b.w().centralWidget()->size(), QSize(649, 559));
    for (const Place& p : kPlaces) {
        QWidget* c = Control(b, p.name);
        QVERIFY2(c, p.name);
        QCOMPARE(c->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
        QVERIFY2(c->isVisibleTo(c->parentWidget()) == p.start_shown, p.name);
    }
    // the title picture reaches beyond its panel, which cuts it off
    QVERIFY(!Control(b, "frameTitle")->rect().contains(Control(b, "imgTitle")->geometry()));
    QCOMPARE(b.box("txtPress")->toolTip(), QStringLiteral("Key in 0 for water saturation pressure"));
    QCOMPARE(b.panel("frmParms")->title(), QStringLiteral("Parameters of the EoS"));
    QCOMPARE(b.panel("frmResult")->title(), QStringLiteral("Result of Calculatuon"));
    QVERIFY(b.panel("frmTP")->title().isEmpty());
    QCOMPARE(b.box("txtPrmXi")->text(), QStringLiteral("0.1000"));
    QCOMPARE(b.box("txtPrmA")->text(), QStringLiteral("3.0800"));
    QCOMPARE(b.box("txtPrmB")->text(), QStringLiteral("-3.5700"));
    QCOMPARE(b.label("lblXi")->text(), QStringLiteral("\u03BE"));
    // no default button, so Enter in a box presses nothing
    for (QPushButton* button : b.w().findChildren<QPushButton*>())
        QVERIFY(!button->isDefault() && !button->autoDefault());
}

void ScreenFlowTest::typefaces() {
    Bench b;
    auto points = [&](const char* name) { return Control(b, name)->font().pointSizeF(); };
    QCOMPARE(points("cmdContinue"), 9.75);
    QCOMPARE(points("cmdCalculate"), 9.75);
    QCOMPARE(points("lblTemp"), 12.0);
    QCOMPARE(points("txtPrmA"), 12.0);
    QCOMPARE(points("lblCpJ"), 12.0);
    QCOMPARE(points("frmResult"), 12.0);
    QCOMPARE(points("frmTP"), 8.25);
    QCOMPARE(points("lblXi"), 14.25);
    QVERIFY(b.label("lblXi")->font().italic());
    QVERIFY(b.label("lblA")->font().italic());
    QVERIFY(b.label("lblB")->font().italic());
    QVERIFY(!b.label("lblTemp")->font().italic());
    // the stand-in family is really there, so the layout is measured with it
    QCOMPARE(QFontInfo(b.label("lblTemp")->font()).family(), b.label("lblTemp")->font().family());
    // the captions fit their labels at this typeface
    for (const char* name : {"lblTemp", "lblPress"}) {
        QLabel* l = b.label(name);
        QVERIFY2(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width(), name);
    }
    b.toInput("H2");
    QLabel* l = b.label("lblPress");
    l->setText(QStringLiteral("for Psat press 0"));
    QVERIFY(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width());
}

void ScreenFlowTest::titleScreenHasNoMenu() {
    Bench b;
    QCOMPARE(Visible(b), Split("frameTitle cmdContinue"));
    QVERIFY(!b.w().menuBar()->isVisible());
    QVERIFY(!b.menu("mnuMain")->menuAction()->isVisible());
    QCOMPARE(b.w().state().Tcr, 0.0);  // constants come with "Continue"
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.button("cmdContinue")));
    QTest::keyClick(b.button("cmdContinue"), Qt::Key_F10);
    QCoreApplication::processEvents();
    QVERIFY(!b.menu("mnuMain")->isVisible());

    b.toMenu();
    QCOMPARE(Visible(b), Split("menu"));
    QCOMPARE(b.w().state().Tcr, 647.067);
    QCOMPARE(b.w().state().TK0, 273.15);
    // the client area keeps its size below the menu bar
    QCOMPARE(b.w().centralWidget()->size(), QSize(649, 559));
    QVERIFY(!b.w().menuBar()->geometry().intersects(b.w().centralWidget()->geometry()));
}

void ScreenFlowTest::menuEntries() {
    Bench b;
    b.toMenu();
    QMenu* main = b.menu("mnuMain");
    QCOMPARE(main->title(), QStringLiteral("Solutes Available"));
    QCOMPARE(b.w().menuBar()->actions().size(), 1);
    QStringList top, sub;
    for (QAction* a : main->actions()) {
        QVERIFY(!a->isSeparator() && a->isEnabled() && !a->isCheckable() && a->shortcut().isEmpty());
        top << (a->menu() ? QStringLiteral("[") + a->text() + QStringLiteral("]") : a->text());
    }
    for (QAction* a : b.menu("mnuHydrocarbons")->actions()) {
        QVERIFY(!a->isSeparator() && a->isEnabled() && !a->isCheckable() && a->shortcut().isEmpty());
        sub << a->text();
        QCOMPARE(a->objectName(), QStringLiteral("mnu") + a->text());
    }
    QCOMPARE(top, Split("H2 N2 O2 H2S CO2 Ar Ne NH3 SO2 [Hydrocarbons] HCl HF H3BO3 H3AsO3"));
    QCOMPARE(sub, Split("CH4 C2H4 C2H6 C3H8 C4H10 C6H6"));
}

void ScreenFlowTest::screensShowTheirControls() {
    Bench b;
    b.toMenu();
    b.choose("N2");
    QCOMPARE(Visible(b), Split("frmParms txtPrmXi txtPrmA txtPrmB cmdAccept menu"));
    b.accept();
    QCOMPARE(Visible(b), Split("frmTP txtTemp txtPress cmdCalculate menu"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.box("txtTemp")));
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    QCOMPARE(Visible(b),
             Split("frmTP txtTemp txtPress cmdCalculate frmResult imgResult lbllnkH lblFormula menu"));

    // A solute chosen from the results: the results go, the input stays
    // with the last temperature and pressure, and the parameters come below.
    b.choose("O2");
    QCOMPARE(Visible(b), Split("frmTP txtTemp txtPress frmParms txtPrmXi txtPrmA txtPrmB "
                               "cmdAccept menu"));
    QCOMPARE(b.box("txtTemp")->text(), QStringLiteral("25.0"));
    QCOMPARE(b.box("txtPress")->text(), QStringLiteral("1.0"));
}

void ScreenFlowTest::openingTheMenuHidesResultsAndClosesTheReport() {
    Bench b;
    b.toInput("H2");
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    const QStringList captions = b.captions();
    QVERIFY(b.w().reportOpen());

    b.openMenu();  // a real click on the menu bar
    QVERIFY(b.menu("mnuMain")->isVisible());
    QVERIFY(!b.w().reportOpen());
    QVERIFY(!b.shown("frmResult"));
    QVERIFY(!b.shown("cmdCalculate"));
    QTest::keyClick(b.menu("mnuMain"), Qt::Key_Escape);
    QTRY_VERIFY(!b.menu("mnuMain")->isVisible());

    // dismissed without a choice: the input stays, without "Calculate"
    QCOMPARE(Visible(b), Split("frmTP txtTemp txtPress menu"));
    // the labels keep their captions and their own visibility
    QCOMPARE(b.captions(), captions);
    QVERIFY(b.label("lbllnkH")->isVisibleTo(b.panel("frmResult")));

    // the report was closed whole: header and one data line
    QCOMPARE(b.reportLines().size(), 5);
    QVERIFY(b.reportBytes().endsWith("\r\n"));

    // the keyboard opens it too
    b.choose("H2");
    b.accept();
    QVERIFY(b.w().reportOpen());
    QTest::keyClick(b.box("txtTemp"), Qt::Key_F10);
    QTRY_VERIFY(b.menu("mnuMain")->isVisible());
    QVERIFY(!b.w().reportOpen());
    QVERIFY(!b.shown("cmdCalculate"));
    QTest::keyClick(b.menu("mnuMain"), Qt::Key_Escape);
    QTRY_VERIFY(!b.menu("mnuMain")->isVisible());
    QCOMPARE(b.reportLines().size(), 9);

    // opening the menu again with nothing open is harmless
    b.openMenu();
    QTest::keyClick(b.menu("mnuMain"), Qt::Key_Escape);
    QCOMPARE(b.reportLines().size(), 9);
}

void ScreenFlowTest::tabOrderAfterAccept() {
    Bench b;
    b.toInput("CO2");
    QWidget* temp = b.box("txtTemp");
    QCOMPARE(QApplication::focusWidget(), temp);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.box("txtPress")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.button("cmdCalculate")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), temp);  // round again: nothing else takes the focus

    // on the parameters screen the three boxes and "Accept" follow in order
    b.choose("CO2");
    b.box("txtPrmXi")->setFocus();
    const char* const order[] = {"txtPrmA", "txtPrmB", "cmdAccept", "txtTemp"};
    for (const char* name : order) {
        QVERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
    }
}

void ScreenFlowTest::pressureHintFollowsTheTemperature() {
    Bench b;
    b.toInput("H2");
    QLabel* hint = b.label("lblPress");
    QLineEdit* temp = b.box("txtTemp");

    QTest::keyClicks(temp, QStringLiteral("25"));
    QTest::keyClick(temp, Qt::Key_Tab);
    QCOMPARE(hint->text(), QStringLiteral("for Psat press 0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(hint->text(), QStringLiteral("Pressure, bar"));

    temp->setFocus();
    temp->setText(QStringLiteral("400"));
    b.box("txtPress")->setFocus();
    QCOMPARE(hint->text(), QStringLiteral("Pressure, bar"));

    // the critical temperature typed to three decimals still lies below it
    temp->setFocus();
    temp->setText(QStringLiteral("373.917"));
    b.box("txtPress")->setFocus();
    QCOMPARE(hint->text(), QStringLiteral("for Psat press 0"));
    temp->setFocus();
    temp->setText(QStringLiteral("373.918"));
    b.box("txtPress")->setFocus();
    QCOMPARE(hint->text(), QStringLiteral("Pressure, bar"));

    // a temperature that is no number: the caption stays, a passing note
    // names the mismatch and no dialog takes the focus away
    temp->setFocus();
    QCOMPARE(hint->text(), QStringLiteral("Pressure, bar"));
    temp->setText(QStringLiteral("hot"));
    b.box("txtPress")->setFocus();
    QCOMPARE(hint->text(), QStringLiteral("Pressure, bar"));
    const auto failures = b.takeFailures();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0].title, QStringLiteral("Type mismatch"));
    QVERIFY(!failures[0].modal);
    QVERIFY(failures[0].text.startsWith(QStringLiteral("Type mismatch: the temperature box holds")));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.box("txtPress")));

    // an empty box gives no hint and no note
    temp->setFocus();
    temp->clear();
    b.box("txtPress")->setFocus();
    QCOMPARE(hint->text(), QStringLiteral("Pressure, bar"));
}

void ScreenFlowTest::pressureHintIgnoresWindowActivation() {
    // Leaving for another window and coming back does not move the focus
    // between the boxes, so it neither sets nor clears the hint.
    Bench b;
    b.toInput("H2");
    b.box("txtTemp")->setText(QStringLiteral("25"));
    b.box("txtPress")->setFocus();
    QCOMPARE(b.label("lblPress")->text(), QStringLiteral("for Psat press 0"));
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(b.box("txtPress"), &out);
    QCOMPARE(b.label("lblPress")->text(), QStringLiteral("for Psat press 0"));
    b.box("txtTemp")->setText(QStringLiteral("hot"));
    QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(b.box("txtPress"), &in);
    QCOMPARE(b.takeFailures().size(), 0);
}

void ScreenFlowTest::closingEndsTheProgram_data() {
    QTest::addColumn<int>("screen");
    QTest::newRow("title") << 0;
    QTest::newRow("menu only") << 1;
    QTest::newRow("parameters") << 2;
    QTest::newRow("input") << 3;
    QTest::newRow("results") << 4;
}

void ScreenFlowTest::closingEndsTheProgram() {
    QFETCH(int, screen);
    Bench b;
    if (screen >= 1) b.toMenu();
    if (screen >= 2) b.choose("Ar");
    if (screen >= 3) b.accept();
    if (screen >= 4) b.calculate(QStringLiteral("100"), QStringLiteral("10"));
    // closing the last window ends the event loop, without a question
    QTimer::singleShot(0, &b.w(), [&] { b.w().close(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(99); });
    guard.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!b.w().isVisible());
    QVERIFY(!b.w().reportOpen());
    QCOMPARE(b.reportLines().size(), screen >= 3 ? 4 + (screen - 3) : 0);
    if (screen >= 3) QVERIFY(b.reportBytes().endsWith("\r\n"));
}

AQVIS_UI_TEST_MAIN(ScreenFlowTest)
#include "tst_screen_flow.moc"
