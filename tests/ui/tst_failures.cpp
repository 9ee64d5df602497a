// Failed user actions: each is reported with its kind and a way out, nothing
// is left half-done, and the window goes on working.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QClipboard>
#include <QScreen>
#include <QToolTip>

#include <sys/stat.h>

#include <cstdio>

#include "ui_bench.h"

using aqvis::test::Bench;

namespace {

// The one failure reported since the last look.
aqvis::MainWindow::FailureReport One_Failure(Bench& b) {
    const auto failures = b.takeFailures();
    if (failures.size() != 1) {
        qWarning("expected one failure report, got %d", int(failures.size()));
        return {};
    }
    return failures.first();
}

}  // namespace

class FailuresTest : public QObject {
    Q_OBJECT
private slots:
    void acceptWithABadBox_data();
    void acceptWithABadBox();
    void acceptWhenTheReportCannotBeOpened_data();
    void acceptWhenTheReportCannotBeOpened();
    void reportRemovedWhileOpen();
    void calculateWithABadBox_data();
    void calculateWithABadBox();
    void calculationFails_data();
    void calculationFails();
    void distributionConstantOutOfRange();
    void failureShownInAMessageBox();
    void oddInputNeverHangsOrCrashes();
    void longPasteIsRefusedAndEchoedShort_data();
    void longPasteIsRefusedAndEchoedShort();
};

void FailuresTest::acceptWithABadBox_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("xi empty") << "txtPrmXi" << "" << "the box \u03BE is empty";
    QTest::newRow("a not a number") << "txtPrmA" << "abc" << "the box a holds \u201Cabc\u201D";
    QTest::newRow("b blank") << "txtPrmB" << "  " << "the box b holds \u201C  \u201D";
    QTest::newRow("b two points") << "txtPrmB" << "1.2.3" << "the box b holds \u201C1.2.3\u201D";
    QTest::newRow("a comma") << "txtPrmA" << "3,08" << "the box a holds \u201C3,08\u201D";
}

void FailuresTest::acceptWithABadBox() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, named);
    Bench b;
    b.toMenu();
    b.choose("H2S");
    const double xi = b.w().state().Xi, a = b.w().state().Coef1, c = b.w().state().Coef2;
    b.box(qPrintable(box))->setText(text);
    b.accept();

    const auto f = One_Failure(b);
    QCOMPARE(f.title, QStringLiteral("Type mismatch"));
    QVERIFY(f.modal);
    QVERIFY2(f.text.startsWith(QStringLiteral("Type mismatch: ") + named), qPrintable(f.text));
    QVERIFY2(f.text.contains(QStringLiteral("press Accept again")), qPrintable(f.text));
    // nothing half-done: no report, no "Calculate", the parameters in place
    QVERIFY(!b.w().reportOpen());
    QVERIFY(!QFile::exists(QDir(b.dir()).filePath(QStringLiteral("AQVIS.OUT"))));
    QVERIFY(b.button("cmdCalculate")->isHidden());
    QVERIFY(b.shown("frmParms"));
    QVERIFY(!b.shown("frmTP"));
    QCOMPARE(b.w().state().Xi, xi);
    QCOMPARE(b.w().state().Coef1, a);
    QCOMPARE(b.w().state().Coef2, c);
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), box);

    // mended, Accept goes through
    b.box(qPrintable(box))->setText(QStringLiteral("1.5"));
    b.accept();
    QVERIFY(b.w().reportOpen());
    QVERIFY(b.shown("cmdCalculate"));
    QCOMPARE(b.reportLines().size(), 4);
}

void FailuresTest::acceptWhenTheReportCannotBeOpened_data() {
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<QString>("reason");
    // A folder where the report file should be: it cannot be opened even by
    // a user who may write everywhere.
    QTest::newRow("a folder") << false << "directory";
    // A named pipe nobody reads would hold the window for ever.
    QTest::newRow("a named pipe") << true << "named pipe";
}

void FailuresTest::acceptWhenTheReportCannotBeOpened() {
    QFETCH(bool, pipe);
    QFETCH(QString, reason);
    Bench b;
    const QByteArray path = QDir(b.dir()).filePath(QStringLiteral("AQVIS.OUT")).toLocal8Bit();
    QCOMPARE(pipe ? mkfifo(path.constData(), 0644) : mkdir(path.constData(), 0755), 0);
    b.toMenu();
    b.choose("CO2");
    b.accept();

    const auto f = One_Failure(b);
    QCOMPARE(f.title, QStringLiteral("File error"));
    QVERIFY(f.modal);
    QVERIFY2(f.text.startsWith(QStringLiteral("File error: ")), qPrintable(f.text));
    QVERIFY2(f.text.contains(QStringLiteral("AQVIS.OUT")), qPrintable(f.text));
    QVERIFY2(f.text.contains(QDir::toNativeSeparators(QDir(b.dir()).canonicalPath())) ||
                 f.text.contains(QDir::toNativeSeparators(b.dir())),
             qPrintable(f.text));
    QVERIFY2(f.text.contains(reason, Qt::CaseInsensitive), qPrintable(f.text));
    QVERIFY(!b.w().reportOpen());
    QVERIFY(b.button("cmdCalculate")->isHidden());
    QVERIFY(b.shown("frmParms"));
    QVERIFY(!b.shown("frmTP"));

    // once the way is clear, the same Accept opens the report
    QCOMPARE(::remove(path.constData()), 0);
    b.accept();
    QVERIFY(b.w().reportOpen());
    QCOMPARE(b.reportLines().size(), 4);
}

// The report removed while the window holds it open (a file manager, a
// clean-up script): the next line must not vanish with the old file, it goes
// into a new AQVIS.OUT under the header it belongs to.
void FailuresTest::reportRemovedWhileOpen() {
    Bench b;
    b.toInput("N2");
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    const QStringList before = b.reportLines();
    QCOMPARE(before.size(), 5);
    QVERIFY(QFile::remove(QDir(b.dir()).filePath(QStringLiteral("AQVIS.OUT"))));
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    QVERIFY(b.takeFailures().isEmpty());
    QCOMPARE(b.reportLines(), before);
}

void FailuresTest::calculateWithABadBox_data() {
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("temp_after");
    QTest::newRow("temperature") << "warm" << "1" << "the temperature box holds" << "warm";
    QTest::newRow("temperature blank") << " " << "1" << "the temperature box holds" << " ";
    QTest::newRow("pressure") << "25.5" << "1 bar" << "the pressure box holds" << "25.5";
    QTest::newRow("pressure blank") << "" << "   " << "the pressure box holds" << "0.0";
}

void FailuresTest::calculateWithABadBox() {
    QFETCH(QString, temp);
    QFETCH(QString, press);
    QFETCH(QString, named);
    QFETCH(QString, temp_after);
    Bench b;
    b.toInput("NH3");
    b.calculate(QStringLiteral("50"), QStringLiteral("10"));
    const QStringList captions = b.captions();
    const QStringList lines = b.reportLines();
    const double tk = b.w().state().TK;

    b.calculate(temp, press);
    const auto f = One_Failure(b);
    QCOMPARE(f.title, QStringLiteral("Type mismatch"));
    QVERIFY2(f.text.startsWith(QStringLiteral("Type mismatch: ") + named), qPrintable(f.text));
    QVERIFY2(f.text.contains(QStringLiteral("no line was written")), qPrintable(f.text));
    QCOMPARE(b.captions(), captions);
    QCOMPARE(b.reportLines(), lines);
    QCOMPARE(b.box("txtTemp")->text(), temp_after);
    QCOMPARE(b.box("txtPress")->text(), press);
    QCOMPARE(b.w().state().TK, tk);  // no calculation started

    // mended, the next press works
    b.calculate(QStringLiteral("50"), QStringLiteral("10"));
    QCOMPARE(b.captions(), captions);
    QCOMPARE(b.reportLines().size(), lines.size() + 1);
}

void FailuresTest::calculationFails_data() {
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("advice");
    QTest::newRow("0 bar above the critical temperature")
        << "400" << "0" << QStringList{"Division by zero"} << "pressure above 0 bar";
    QTest::newRow("absolute zero") << "-273.15" << "1"
                                   << QStringList{"Division by zero", "Invalid operation", "Overflow"}
                                   << "above \u2212273.15";
    QTest::newRow("below absolute zero")
        << "-300" << "1" << QStringList{"Division by zero", "Invalid operation", "Overflow"}
        << "above \u2212273.15";
}

void FailuresTest::calculationFails() {
    QFETCH(QString, temp);
    QFETCH(QString, press);
    QFETCH(QStringList, kinds);
    QFETCH(QString, advice);
    Bench b;
    b.toInput("CH4");
    b.calculate(QStringLiteral("100"), QStringLiteral("50"));
    const QStringList captions = b.captions();
    const QStringList lines = b.reportLines();

    b.calculate(temp, press);
    const auto f = One_Failure(b);
    QVERIFY2(kinds.contains(f.title), qPrintable(f.title));
    QVERIFY2(f.text.startsWith(f.title), qPrintable(f.text));
    QVERIFY2(f.text.contains(advice), qPrintable(f.text));
    // the panel stays up with the earlier results; nothing is written
    QVERIFY(b.shown("frmResult"));
    QCOMPARE(b.captions(), captions);
    QCOMPARE(b.reportLines(), lines);
    QVERIFY(b.w().reportOpen());
    QVERIFY(b.shown("cmdCalculate"));

    b.calculate(QStringLiteral("100"), QStringLiteral("50"));
    QCOMPARE(b.takeFailures().size(), 0);
    QCOMPARE(b.captions(), captions);
    QCOMPARE(b.reportLines().size(), lines.size() + 1);
}

void FailuresTest::distributionConstantOutOfRange() {
    // Parameters far out make the Henry constant leave the range of a
    // double: the calculation itself goes through, the results cannot be
    // shown, and no partial line reaches the report.
    Bench b;
    b.toInput("H2");
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    const QStringList captions = b.captions();
    b.choose("H2");
    b.box("txtPrmA")->setText(QStringLiteral("2000"));
    b.accept();
    const QStringList lines = b.reportLines();
    b.calculate(QStringLiteral("25"), QStringLiteral("1"));
    const auto f = One_Failure(b);
    QCOMPARE(f.title, QStringLiteral("Overflow"));
    QVERIFY2(f.text.contains(QStringLiteral("\u03BE, a and b")), qPrintable(f.text));
    QCOMPARE(b.captions(), captions);
    QCOMPARE(b.reportLines(), lines);
    QVERIFY(qAbs(b.w().state().lnkH) > 700);
}

void FailuresTest::failureShownInAMessageBox() {
    // Without a stand-in reporter the user gets a warning box naming the
    // kind of error; closing it leaves a working window.
    Bench b;
    b.w().setFailureReporter({});
    b.toInput("Ar");
    b.calculate(QStringLiteral("400"), QStringLiteral("0"));
    const QStringList dialogs = b.dialogs();
    QCOMPARE(dialogs.size(), 1);
    QVERIFY2(dialogs[0].startsWith(QStringLiteral("Division by zero | Division by zero")),
             qPrintable(dialogs[0]));
    b.calculate(QStringLiteral("400"), QStringLiteral("300"));
    QVERIFY(b.dialogs().isEmpty());
    QCOMPARE(b.reportLines().size(), 5);
}

void FailuresTest::oddInputNeverHangsOrCrashes() {
    // Every press ends, either with one more data line or with one failure
    // report and the file as it was.
    Bench b;
    b.toInput("C2H6");
    const QString odd[] = {QStringLiteral("1e308"),   QStringLiteral("-1e308"),
                           QStringLiteral("1e-320"),  QStringLiteral("nan"),
                           QStringLiteral("inf"),     QStringLiteral("0x10"),
                           QStringLiteral("--1"),     QStringLiteral("1e5"),
                           QStringLiteral("3000"),    QStringLiteral("-50"),
                           QStringLiteral("373.946"), QString(200, QLatin1Char('9')),
                           QStringLiteral("1000000"), QStringLiteral("0.000001")};
    for (const QString& t : odd) {
        for (const QString& p : {QStringLiteral("0"), QStringLiteral("1e-300"), t}) {
            const int before = b.reportLines().size();
            b.calculate(t, p);
            const int failures = b.takeFailures().size();
            const int written = b.reportLines().size() - before;
            QVERIFY2(failures + written == 1, qPrintable(t + QStringLiteral(" / ") + p));
            QVERIFY(b.reportBytes().endsWith("\r\n"));
        }
    }
}

void FailuresTest::longPasteIsRefusedAndEchoedShort_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("paste");
    // A box keeps only its first 32,767 characters: what is left of a long
    // paste can read as a number the user never gave.
    const QString many_blanks(40000, QLatin1Char(' ')), many_zeros(40000, QLatin1Char('0'));
    QTest::newRow("temperature, blanks then text") << "txtTemp" << "25" + many_blanks + "C";
    QTest::newRow("pressure, zeros then text") << "txtPress" << "0." + many_zeros + "1x";
    QTest::newRow("temperature, a megabyte of digits") << "txtTemp" << QString(1 << 20, QChar('7'));
    QTest::newRow("a, wide letters") << "txtPrmA" << QString(40000, QChar('W'));
    QTest::newRow("b, ideographs") << "txtPrmB" << QString(5000, QChar(0x5BB6));
}

void FailuresTest::longPasteIsRefusedAndEchoedShort() {
    QFETCH(QString, box);
    QFETCH(QString, paste);
    const bool parameter = box.startsWith(QStringLiteral("txtPrm"));
    Bench b;
    b.toMenu();
    b.choose("N2");
    if (!parameter) {
        b.accept();
        b.calculate(QStringLiteral("30"), QStringLiteral("5"));
    }
    const QStringList lines = b.reportLines();
    QLineEdit* edit = b.box(qPrintable(box));
    QGuiApplication::clipboard()->setText(paste);
    edit->selectAll();
    edit->paste();
    QVERIFY(!edit->text().isEmpty());
    parameter ? b.accept() : b.calculate();

    // not a number, echoed short; nothing computed or written
    const auto f = One_Failure(b);
    QCOMPARE(f.title, QStringLiteral("Type mismatch"));
    QVERIFY2(f.text.contains(QStringLiteral("\u2026")) && f.text.contains(QStringLiteral(
                 "characters), which is not a number")),
             qPrintable(f.text.left(300)));
    QVERIFY2(f.text.size() < 600, qPrintable(QString::number(f.text.size())));
    QCOMPARE(b.reportLines(), lines);
    QCOMPARE(b.w().reportOpen(), !parameter);

    // the message box and the passing note fit the screen
    b.w().setFailureReporter({});
    parameter ? b.accept() : b.calculate();
    QCOMPARE(b.dialogs().size(), 1);
    QVERIFY(b.dialogsFitOnScreen());
    if (box == QStringLiteral("txtTemp")) {
        b.w().activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&b.w()));
        b.box("txtTemp")->setFocus();
        b.box("txtPress")->setFocus();
        QVERIFY(QToolTip::text().contains(QStringLiteral("\u2026")));
        QWidget* note = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("qtooltip_label")) note = w;
        QVERIFY(note);
        QVERIFY2(note->width() <= note->screen()->availableGeometry().width(),
                 qPrintable(QString::number(note->width())));
    }
}

AQVIS_UI_TEST_MAIN(FailuresTest)
#include "tst_failures.moc"
