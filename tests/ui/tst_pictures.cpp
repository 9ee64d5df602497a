// The two drawn pictures: their texts, where they stand, and that they fit.

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/pictures.h"
#include "ui_bench.h"

using aqvis::Markup_Plain;
using aqvis::ResultPicture;
using aqvis::TitlePicture;
using aqvis::test::Bench;

namespace {

// Dark pixels (text) inside `area` of `image`.
int Ink(const QImage& image, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 110) ++n;
    return n;
}

QImage Render(QWidget* w, qreal scale) {
    QImage image((QSizeF(w->size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    w->render(&image);
    image.setDevicePixelRatio(1);
    return image;
}

}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT
private slots:
    void markup();
    void resultHeadings();
    void resultHeadingsAreDrawnWhereTheyStand();
    void resultHeadingsLeaveTheValuesFree();
    void titleTellsWhatTheProgramDoes();
    void titleFitsTheVisiblePart();
};

void PicturesTest::markup() {
    QCOMPARE(Markup_Plain(QStringLiteral("*c*_{*p*}, *mol^{\u22121}*")),
             QStringLiteral("cp, mol\u22121"));
    QCOMPARE(Markup_Plain(QStringLiteral("a_b ^c {d}")), QStringLiteral("a_b ^c {d}"));
    QFont f(aqvis::Picture_Family());
    f.setPixelSize(20);
    // a superscript is set smaller than the line
    QVERIFY(aqvis::Markup_Width(QStringLiteral("x^{22}"), f) <
            QFontMetricsF(f).horizontalAdvance(QStringLiteral("x22")));
}

void PicturesTest::resultHeadings() {
    struct Expected {
        const char* text;
        int x, y;
    };
    const Expected expected[] = {
        {"Water properties after Hill (1990)", 15, 50},
        {"ln(f, bar)", 57, 78},
        {"\u03C1, g\u00B7cm\u22123", 196, 78},
        {"V, cm3\u00B7mol\u22121", 313, 78},
        {"cp, cal\u00B7mol\u22121\u00B7K\u22121", 37, 132},
        {"\u03BA, bar\u22121", 200, 132},
        {"\u03B1V, K\u22121", 330, 132},
        {"Aqueous Component", 15, 211},
        {"ln(kH, bar)", 35, 238},
        {"K\u00B0(gas\u2194aq), mol\u00B7kg\u22121\u00B7bar\u22121", 145, 238},
        {"V, cm3\u00B7mol\u22121", 370, 238},
        {"g, mol\u22121", 113, 293},
        {"S, mol\u22121\u00B7K\u22121", 222, 293},
        {"cp, mol\u22121\u00B7K\u22121", 365, 293},
        {"in cal", 25, 320},
        {"in J", 25, 350},
    };
    const auto& headings = ResultPicture::headings();
    QCOMPARE(int(headings.size()), int(std::size(expected)));
    for (std::size_t i = 0; i < headings.size(); ++i) {
        QCOMPARE(Markup_Plain(headings[i].markup), QString::fromUtf8(expected[i].text));
        QCOMPARE(headings[i].x, expected[i].x);
        QCOMPARE(headings[i].y, expected[i].y);
    }
    // symbols and units in italics, superscripts raised
    QVERIFY(headings[4].markup.startsWith(QStringLiteral("*c*_{*p*}")));
    QVERIFY(headings[2].markup.contains(QStringLiteral("^{\u22123}")));
}

void PicturesTest::resultHeadingsAreDrawnWhereTheyStand() {
    ResultPicture picture;
    picture.resize(510, 368);
    for (qreal scale : {1.0, 2.0}) {
        const QImage image = Render(&picture, scale);
        for (const auto& h : ResultPicture::headings()) {
            const QFont font = ResultPicture::headingFont(h.section);
            const qreal width = aqvis::Markup_Width(h.markup, font);
            // ink just above the baseline, over the width of the text
            const QRectF text(h.x, h.y - 10, width, 10);
            const QRect at(qRound(text.left() * scale), qRound(text.top() * scale),
                           qRound(text.width() * scale), qRound(text.height() * scale));
            QVERIFY2(Ink(image, at) > 15 * scale * scale, qPrintable(Markup_Plain(h.markup)));
            // and nothing to the left of the first letter
            QCOMPARE(Ink(image, QRect(at.left() - qRound(6 * scale), at.top(), qRound(5 * scale),
                                      at.height())),
                     0);
        }
        // a light ground
        QVERIFY(qGray(image.pixel(image.width() - 2, 2)) > 200);
    }
}

void PicturesTest::resultHeadingsLeaveTheValuesFree() {
    // The value labels lie over the picture; no heading may run under one.
    Bench b;
    QWidget* picture = b.w().findChild<QWidget*>(QStringLiteral("imgResult"));
    QVERIFY(picture);
    for (const auto& h : ResultPicture::headings()) {
        const QFont font = ResultPicture::headingFont(h.section);
        const QFontMetricsF fm(font);
        const QRectF text(h.x, h.y - fm.ascent(), aqvis::Markup_Width(h.markup, font),
                          fm.ascent() + fm.descent());
        for (const char* name : aqvis::test::kResultLabelNames) {
            QWidget* label = b.label(name);
            // where the digits of a value stand: the label's first text line
            QRect value = label->geometry().translated(-picture->pos());
            value.setHeight(qMin(value.height(), QFontMetrics(label->font()).height()));
            value.adjust(0, 3, 0, 0);
            QVERIFY2(!text.intersects(value),
                     qPrintable(Markup_Plain(h.markup) + QStringLiteral(" under ") + name));
        }
    }
}

void PicturesTest::titleTellsWhatTheProgramDoes() {
    QString all;
    for (const auto& line : TitlePicture::lines()) all += Markup_Plain(line.markup) + QLatin1Char(' ');
    for (const char* fact :
         {"Gibbs free energy", "entropy", "molar volume", "apparent molar heat capacity",
          "infinite dilution", "0 to 500 \u00B0C", "1 to 2000 bar", "near-critical",
          "\u03BE, a and b", "published literature", "\"AQVIS.OUT\"", "appended"})
        QVERIFY2(all.contains(QString::fromUtf8(fact)), fact);
    // the Greek letter and the parameter names are in italics
    QVERIFY(all.contains(QStringLiteral("three empirical")));
    bool italic_xi = false;
    for (const auto& line : TitlePicture::lines())
        italic_xi |= line.markup.contains(QStringLiteral("*\u03BE*"));
    QVERIFY(italic_xi);
}

void PicturesTest::titleFitsTheVisiblePart() {
    // The picture is larger than its panel; every line must lie within what
    // the panel shows and above "Continue", and be drawn there.
    Bench b;
    QWidget* panel = b.panel("frameTitle");
    QWidget* picture = b.w().findChild<QWidget*>(QStringLiteral("imgTitle"));
    QWidget* button = b.button("cmdContinue");
    const QRect shown = panel->rect().translated(-picture->pos()).intersected(picture->rect());
    const int button_top = button->y() - picture->y();
    const QImage image = Render(picture, 1.0);
    const qreal centre = shown.left() + shown.width() / 2.0;
    int rows_with_ink = 0;
    for (int y = shown.top(); y < button_top; ++y)
        if (Ink(image, QRect(shown.left(), y, shown.width(), 1)) > 0) ++rows_with_ink;
    QVERIFY(rows_with_ink > 150);
    // no ink outside the shown part, beside the text block or under the button
    QCOMPARE(Ink(image, QRect(shown.right() + 1, 0, image.width(), image.height())), 0);
    QCOMPARE(Ink(image, QRect(0, button_top - 4, image.width(), image.height())), 0);
    for (const auto& line : TitlePicture::lines()) {
        QFont f(aqvis::Picture_Family());
        f.setPixelSize(line.pixel_size);
        f.setBold(line.bold);
        QVERIFY2(aqvis::Markup_Width(line.markup, f) < shown.width() - 20,
                 qPrintable(Markup_Plain(line.markup)));
    }
    // the text block is centred over what is shown
    int left = image.width(), right = 0;
    for (int x = 0; x < image.width(); ++x)
        if (Ink(image, QRect(x, 0, 1, button_top)) > 0) {
            left = qMin(left, x);
            right = qMax(right, x);
        }
    QVERIFY(qAbs((left + right) / 2.0 - centre) < 4);
}

AQVIS_UI_TEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
