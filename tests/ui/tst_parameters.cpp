// Choosing a solute, the parameter boxes, "Accept" and the report header.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>

#include "results/decimal_separator.h"
#include "ui_bench.h"

using aqvis::test::Bench;

namespace {

QStringList Boxes(Bench& b) {
    return {b.box("txtPrmXi")->text(), b.box("txtPrmA")->text(), b.box("txtPrmB")->text()};
}

const QRegularExpression kDateLine(
    QStringLiteral("^ {45,46}  Date \\d\\d-\\d\\d-\\d{4}  Time  \\d\\d:\\d\\d:\\d\\d$"));

}  // namespace

class ParametersTest : public QObject {
    Q_OBJECT
private slots:
    void boxesShowFourDecimals_data();
    void boxesShowFourDecimals();
    void everyEntryLoadsItsSolute();
    void acceptWritesTheHeader();
    void typedParametersReachTheHeader();
    void everyAcceptAppendsAHeader();
    void choosingAgainRestoresTheCatalogue();
    void decimalCommaLocale();
};

void ParametersTest::boxesShowFourDecimals_data() {
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<double>("xi");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    auto row = [](const char* f, QStringList shown, double xi, double a, double b) {
        QTest::newRow(f) << QString::fromLatin1(f) << shown << xi << a << b;
    };
    row("H2", {"0.3090", "-8.4596", "10.8301"}, 0.309, -8.4596, 10.8301);
    row("H3BO3", {"-1.0850", "-3.5430", "3.4693"}, -1.085, -3.543, 3.4693);
    row("NH3", {"-0.0955", "-4.7245", "4.9782"}, -0.0955, -4.7245, 4.9782);
    row("Ne", {"0.5083", "1.0014", "4.7976"}, 0.5083, 1.0014, 4.7976);
    row("H3AsO3", {"-1.4798", "-10.0766", "8.3617"}, -1.4798, -10.0766, 8.3617);
    row("HF", {"0.1008", "3.0880", "-3.5714"}, 0.1008, 3.088, -3.5714);
    row("C4H10", {"-1.6849", "-33.8492", "36.1457"}, -1.6849, -33.8492, 36.1457);
}

void ParametersTest::boxesShowFourDecimals() {
    QFETCH(QString, formula);
    QFETCH(QStringList, shown);
    QFETCH(double, xi);
    QFETCH(double, a);
    QFETCH(double, b);
    Bench bench;
    bench.toMenu();
    bench.choose(qPrintable(formula));
    QCOMPARE(Boxes(bench), shown);
    QVERIFY(bench.shown("frmParms"));
    QVERIFY(!bench.shown("cmdCalculate"));
    QVERIFY(!bench.w().reportOpen());

    // Accept reads back what the boxes show, not the catalogue's digits.
    bench.accept();
    QCOMPARE(bench.w().state().Xi, xi);
    QCOMPARE(bench.w().state().Coef1, a);
    QCOMPARE(bench.w().state().Coef2, b);
}

void ParametersTest::everyEntryLoadsItsSolute() {
    Bench b;
    b.toMenu();
    QList<QAction*> entries;
    for (QAction* a : b.menu("mnuMain")->actions())
        if (!a->menu()) entries << a;
    entries << b.menu("mnuHydrocarbons")->actions();
    QCOMPARE(entries.size(), 19);
    for (QAction* entry : entries) {
        b.openMenu();
        entry->trigger();
        b.menu("mnuMain")->hide();
        QCOMPARE(QString::fromStdString(b.w().state().Formula), entry->text());
        QVERIFY(b.shown("frmParms"));
    }
    // a few fields of the records, as the catalogue gives them
    b.choose("C2H4");
    QCOMPARE(b.w().state().bgasE3, 0.15);
    QCOMPARE(b.w().state().G0gas, 16280.0);
    b.choose("Ar");
    QCOMPARE(b.w().state().agas, 4.968);
    QCOMPARE(b.w().state().cgasEmin5, 0.0);
    b.choose("HCl");
    QCOMPARE(Boxes(b), QStringList({"-0.2800", "11.6420", "-7.4244"}));
}

void ParametersTest::acceptWritesTheHeader() {
    Bench b;
    b.toMenu();
    b.choose("H3BO3");
    QVERIFY(b.reportBytes().isEmpty());
    b.accept();
    QVERIFY(b.w().reportOpen());
    QVERIFY(b.shown("cmdCalculate"));
    QVERIFY(!b.shown("frmParms"));
    QVERIFY(b.shown("frmTP"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.box("txtTemp")));

    const QStringList lines = b.reportLines();
    QCOMPARE(lines.size(), 4);
    QVERIFY2(kDateLine.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QCOMPARE(lines[1], QStringLiteral(
                           " Aqueous component H3BO3     Xi = -1.085      a = -3.543     b = 3.4693"));
    QVERIFY(lines[2].startsWith(QStringLiteral("    T             P            dH2O")));
    QVERIFY(lines[3].startsWith(QStringLiteral("    C            bar           g/cc")));
    QVERIFY(b.reportBytes().endsWith("\r\n"));
}

void ParametersTest::typedParametersReachTheHeader() {
    Bench b;
    b.toMenu();
    b.choose("CH4");
    // typed by hand, with blanks around one of them
    for (auto [name, text] : {std::pair{"txtPrmXi", "0.5"}, {"txtPrmA", " 3 "}, {"txtPrmB", "-2.25"}}) {
        QLineEdit* box = b.box(name);
        box->selectAll();
        QTest::keyClicks(box, QString::fromLatin1(text));
    }
    b.accept();
    QCOMPARE(b.w().state().Xi, 0.5);
    QCOMPARE(b.w().state().Coef1, 3.0);
    QCOMPARE(b.w().state().Coef2, -2.25);
    QCOMPARE(b.reportLines().value(1),
             QStringLiteral(" Aqueous component CH4     Xi = .5      a = 3.     b = -2.25"));
}

void ParametersTest::everyAcceptAppendsAHeader() {
    Bench b;
    b.toInput("H2");
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    b.choose("H2");
    b.accept();
    b.choose("O2");
    b.accept();
    const QStringList lines = b.reportLines();
    QCOMPARE(lines.size(), 4 + 1 + 4 + 4);
    for (int i : {0, 5, 9}) QVERIFY2(kDateLine.match(lines[i]).hasMatch(), qPrintable(lines[i]));
    QVERIFY(lines[6].startsWith(QStringLiteral(" Aqueous component H2 ")));
    QVERIFY(lines[10].startsWith(QStringLiteral(" Aqueous component O2 ")));

    // The file grows from one run of the program to the next.
    {
        Bench again;
        QDir::setCurrent(b.dir());
        again.toInput("Ne");
    }
    QCOMPARE(b.reportLines().size(), 13 + 4);
}

void ParametersTest::choosingAgainRestoresTheCatalogue() {
    Bench b;
    b.toMenu();
    b.choose("SO2");
    const QStringList catalogue = Boxes(b);
    b.box("txtPrmXi")->setText(QStringLiteral("1"));
    b.box("txtPrmA")->setText(QStringLiteral("2"));
    b.box("txtPrmB")->setText(QStringLiteral("3"));
    b.accept();
    QCOMPARE(b.w().state().Coef1, 2.0);

    b.choose("SO2");
    QCOMPARE(Boxes(b), catalogue);
    QCOMPARE(b.w().state().Xi, -0.4295);
    QCOMPARE(b.w().state().Coef1, -14.5223);
    QCOMPARE(b.w().state().Coef2, 14.3512);

    // typed but not accepted: the next choice overwrites it
    b.box("txtPrmB")->setText(QStringLiteral("99"));
    b.choose("SO2");
    QCOMPARE(Boxes(b), catalogue);
}

void ParametersTest::decimalCommaLocale() {
    aqvis::test::LocaleScope german("de_DE.UTF-8");
    if (aqvis::Environment_Decimal_Separator() != ",") QSKIP("the locale de_DE.UTF-8 is not installed");
    Bench b;
    b.toMenu();
    b.choose("H2");
    QCOMPARE(Boxes(b), QStringList({"0,3090", "-8,4596", "10,8301"}));
    b.box("txtPrmXi")->setText(QStringLiteral("0,25"));
    b.accept();
    QCOMPARE(b.w().state().Xi, 0.25);
    QCOMPARE(b.reportLines().value(1),
             QStringLiteral(" Aqueous component H2     Xi = ,25      a = -8,4596     b = 10,8301"));

    b.calculate(QStringLiteral("25,125"), QStringLiteral("1,5"));
    QCOMPARE(b.w().state().TC, 25.125);
    QCOMPARE(b.w().state().Pbar, 1.5);
    QCOMPARE(b.box("txtTemp")->text(), QStringLiteral("25,13"));
    QCOMPARE(b.box("txtPress")->text(), QStringLiteral("1,5"));
    QVERIFY(b.label("lbldH2O")->text().startsWith(QStringLiteral("0,99")));
    QVERIFY(b.reportLines().last().startsWith(QStringLiteral("  25,13    ")));

    // a point is no decimal separator here
    b.calculate(QStringLiteral("25.5"), QStringLiteral("1"));
    const auto failures = b.takeFailures();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0].title, QStringLiteral("Type mismatch"));
}

AQVIS_UI_TEST_MAIN(ParametersTest)
#include "tst_parameters.moc"
