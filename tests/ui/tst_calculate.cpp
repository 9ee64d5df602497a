// "Calculate": what it reads, what it rewrites, what it shows and what it
// appends, checked against physical values of water and against the
// command-line program.

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>

#include "support/program.h"
#include "ui_bench.h"

using aqvis::test::Bench;

namespace {

double Number(const QString& caption) {
    bool ok = false;
    const double v = caption.trimmed().toDouble(&ok);
    if (!ok) qWarning("not a number: %s", qPrintable(caption));
    return v;
}

// The report's data line cut into its twelve print zones of 14 characters.
QStringList Fields(const QString& line) {
    QStringList out;
    for (int i = 0; i < 12; ++i) out << line.mid(14 * i, 14).trimmed();
    return out;
}

}  // namespace

class CalculateTest : public QObject {
    Q_OBJECT
private slots:
    void emptyBoxesMeanZeroDegreesAndOneBar();
    void lowPressureMeansSaturation_data();
    void lowPressureMeansSaturation();
    void temperatureKeepsItsDecimals();
    void waterAndSoluteMakePhysicalSense();
    void sameInputSameResults();
    void agreesWithTheCommandLine_data();
    void agreesWithTheCommandLine();
    void sameSeparatorAsTheCommandLine_data();
    void sameSeparatorAsTheCommandLine();
};

void CalculateTest::emptyBoxesMeanZeroDegreesAndOneBar() {
    Bench b;
    b.toInput("H2");
    b.calculate(QString(), QString());
    QCOMPARE(b.box("txtTemp")->text(), QStringLiteral("0.0"));
    QCOMPARE(b.box("txtPress")->text(), QStringLiteral("1.0"));
    QCOMPARE(b.w().state().TC, 0.0);
    QCOMPARE(b.w().state().TK, 273.15);
    QCOMPARE(b.w().state().Pbar, 1.0);
    // water at its freezing point and 1 bar: 0.99984 g/cm3
    QCOMPARE(b.label("lbldH2O")->text().trimmed(), QStringLiteral("0.9998"));
    const QStringList lines = b.reportLines();
    QCOMPARE(lines.size(), 5);
    const QStringList f = Fields(lines.last());
    QCOMPARE(f[0], QStringLiteral("0.00"));
    QCOMPARE(f[1], QStringLiteral("1.0"));
    QCOMPARE(f[2], QStringLiteral("0.9998"));
}

void CalculateTest::lowPressureMeansSaturation_data() {
    QTest::addColumn<QString>("press");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("below saturation") << QStringLiteral("0.01");
    QTest::newRow("negative") << QStringLiteral("-5");
}

void CalculateTest::lowPressureMeansSaturation() {
    QFETCH(QString, press);
    Bench b;
    b.toInput("N2");
    b.calculate(QStringLiteral("25"), press);
    // the saturation pressure of water at 25 degC is 0.03170 bar
    QCOMPARE(b.box("txtTemp")->text(), QStringLiteral("25.0"));
    QCOMPARE(b.box("txtPress")->text(), QStringLiteral("0.03"));
    QVERIFY(qAbs(b.w().state().Pbar - 0.03170) < 0.0001);
    QCOMPARE(b.w().state().Pbar, b.w().state().Psat);
    const QStringList f = Fields(b.reportLines().last());
    QCOMPARE(f[0], QStringLiteral("25.00"));
    QCOMPARE(f[1], QStringLiteral("0.0"));
    QCOMPARE(b.label("lbldH2O")->text().trimmed(), QStringLiteral("0.9970"));
}

void CalculateTest::temperatureKeepsItsDecimals() {
    Bench b;
    b.toInput("O2");
    b.calculate(QStringLiteral("25.125"), QStringLiteral("12.345"));
    QCOMPARE(b.box("txtTemp")->text(), QStringLiteral("25.13"));
    QCOMPARE(b.box("txtPress")->text(), QStringLiteral("12.35"));
    QCOMPARE(b.w().state().TC, 25.125);
    QCOMPARE(b.w().state().Pbar, 12.345);
    QCOMPARE(b.w().state().TK, 273.15 + 25.125);
    // blanks around a number are allowed
    b.calculate(QStringLiteral(" 30 "), QStringLiteral(" 2"));
    QCOMPARE(b.box("txtTemp")->text(), QStringLiteral("30.0"));
    QCOMPARE(b.w().state().Pbar, 2.0);
}

void CalculateTest::waterAndSoluteMakePhysicalSense() {
    Bench b;
    b.toInput("H2");
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    QCOMPARE(b.label("lblFormula")->text(), QStringLiteral("H2"));
    for (const char* name : aqvis::test::kResultLabelNames) QVERIFY2(b.shown(name), name);
    QVERIFY(b.shown("imgResult"));

    // water at 25 degC and 1 bar
    QVERIFY(qAbs(Number(b.label("lbldH2O")->text()) - 0.9970) < 0.00015);
    QVERIFY(qAbs(Number(b.label("lblVH2O")->text()) - 18.07) < 0.015);
    QVERIFY(qAbs(Number(b.label("lblCpH2O")->text()) - 18.0) < 0.1);  // 75.3 J/(mol K)
    QVERIFY(qAbs(Number(b.label("lblCompr")->text()) - 4.52e-5) < 0.03e-5);
    QVERIFY(qAbs(Number(b.label("lblExpan")->text()) + 2.57e-4) < 0.05e-4);  // expands on heating
    QVERIFY(qAbs(Number(b.label("lbllnfH2O")->text()) - std::log(0.0317)) < 0.05);

    // hydrogen: Henry constant near 7.1e4 bar, and the joule row is the
    // calorie row times 4.184
    QVERIFY(qAbs(Number(b.label("lbllnkH")->text()) - 11.17) < 0.15);
    QVERIFY(qAbs(Number(b.label("lblgJ")->text()) - 4.184 * Number(b.label("lblgcal")->text())) < 0.3);
    QVERIFY(qAbs(Number(b.label("lblSJ")->text()) - 4.184 * Number(b.label("lblScal")->text())) < 0.03);
    QVERIFY(qAbs(Number(b.label("lblCpJ")->text()) - 4.184 * Number(b.label("lblCpcal")->text())) < 0.3);

    // panel and report line carry the same results
    const QStringList f = Fields(b.reportLines().last());
    QVERIFY(qAbs(Number(f[3]) - Number(b.label("lbllnkH")->text())) < 0.0011);
    QVERIFY(qAbs(Number(f[4]) - Number(b.label("lblK0")->text())) < 0.00006);
    QVERIFY(qAbs(Number(f[5]) - Number(b.label("lblV")->text())) < 0.01);
}

void CalculateTest::sameInputSameResults() {
    // Nothing of one calculation leaks into the next.
    Bench b;
    b.toInput("CO2");
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    const QStringList first = b.captions();
    const QString first_line = b.reportLines().last();
    b.calculate(QStringLiteral("380"), QStringLiteral("250"));
    QVERIFY(b.captions() != first);
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    QCOMPARE(b.captions(), first);
    QCOMPARE(b.reportLines().last(), first_line);
    QCOMPARE(b.reportLines().size(), 4 + 3);
}

void CalculateTest::agreesWithTheCommandLine_data() {
    QTest::addColumn<QString>("solute");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("press");
    QTest::newRow("H3BO3 at saturation") << "H3BO3" << "25" << "0";
    QTest::newRow("CH4 hot and compressed") << "CH4" << "300" << "500";
    QTest::newRow("CO2 above the critical point") << "CO2" << "400" << "300";
    QTest::newRow("Ne at 1 bar") << "Ne" << "" << "";
    QTest::newRow("HCl") << "HCl" << "150.5" << "10";
    QTest::newRow("C6H6 near critical") << "C6H6" << "370" << "0";
}

void CalculateTest::agreesWithTheCommandLine() {
    QFETCH(QString, solute);
    QFETCH(QString, temp);
    QFETCH(QString, press);
    Bench b;
    b.toMenu();
    b.choose(qPrintable(solute));
    const QString xi = b.box("txtPrmXi")->text();
    const QString a = b.box("txtPrmA")->text();
    const QString bb = b.box("txtPrmB")->text();
    b.accept();
    b.calculate(temp, press);

    aqvis::test::ProgramOptions in_dir;
    in_dir.cwd = b.dir().toStdString();
    const aqvis::test::ProgramRun cli =
        aqvis::test::Run_Program({"calc", solute.toStdString(), temp.toStdString(), press.toStdString(),
                           "--xi", xi.toStdString(), "--a", a.toStdString(), "--b", bb.toStdString(),
                           "--json", "--report", "cli.out"},
                          in_dir);
    QCOMPARE(cli.exit_status, 0);
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(cli.out)).object();
    const QJsonObject captions = json.value(QStringLiteral("captions")).toObject();
    QVERIFY(!captions.isEmpty());
    for (const char* name : aqvis::test::kResultLabelNames) {
        QLabel* label = b.label(name);
        QCOMPARE(label->text(), captions.value(QString::fromLatin1(name)).toString());
        // shown whole, however long the number
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
    }
    QCOMPARE(b.box("txtTemp")->text(), captions.value(QStringLiteral("txtTemp")).toString());
    QCOMPARE(b.box("txtPress")->text(), captions.value(QStringLiteral("txtPress")).toString());

    QFile cli_report(QDir(b.dir()).filePath(QStringLiteral("cli.out")));
    QVERIFY(cli_report.open(QIODevice::ReadOnly));
    const QStringList cli_lines = QString::fromLatin1(cli_report.readAll()).split(QStringLiteral("\r\n"));
    const QStringList lines = b.reportLines();
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[4], cli_lines.value(4));
    QCOMPARE(lines[1], cli_lines.value(1));
}

void CalculateTest::sameSeparatorAsTheCommandLine_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");  // empty: whatever is installed, but the same
    QTest::newRow("C") << "C" << ".";
    QTest::newRow("German") << "de_DE.UTF-8" << "";
    QTest::newRow("German without a codeset") << "de_DE" << "";
    QTest::newRow("French, maybe not installed") << "fr_FR.UTF-8" << "";
    QTest::newRow("no such locale") << "qq_QQ.UTF-8" << ".";
}

// Both front ends write into the same AQVIS.OUT: whatever locale the
// environment names, installed or not, they must write the same line.
void CalculateTest::sameSeparatorAsTheCommandLine() {
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    aqvis::test::LocaleScope scope(qPrintable(locale));
    Bench b;
    b.toMenu();
    b.choose("N2");
    b.accept();
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));

    aqvis::test::ProgramOptions in_dir;  // the program inherits LC_ALL
    in_dir.cwd = b.dir().toStdString();
    QCOMPARE(aqvis::test::Run_Program({"calc", "N2", "25", "1", "--report", "cli.out"}, in_dir).exit_status, 0);
    QFile cli_report(QDir(b.dir()).filePath(QStringLiteral("cli.out")));
    QVERIFY(cli_report.open(QIODevice::ReadOnly));
    const QList<QByteArray> cli_lines = cli_report.readAll().split('\n');
    const QList<QByteArray> lines = b.reportBytes().split('\n');
    QCOMPARE(lines.value(1), cli_lines.value(1));  // the component line with xi, a and b
    QCOMPARE(lines.value(4), cli_lines.value(4));
    if (!separator.isEmpty()) QVERIFY(lines.value(4).startsWith("  25" + separator.toUtf8() + "00"));
}

AQVIS_UI_TEST_MAIN(CalculateTest)
#include "tst_calculate.moc"
