#include "ui/pictures.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace aqvis {

namespace {

struct Run {
    QString text;
    bool italic = false;
    int script = 0;  // +1 superscript, -1 subscript
};

std::vector<Run> Parse_Markup(const QString& markup) {
    std::vector<Run> runs;
    bool italic = false;
    int script = 0;
    auto append = [&](QChar c) {
        if (runs.empty() || runs.back().italic != italic || runs.back().script != script)
            runs.push_back(Run{QString(), italic, script});
        runs.back().text.append(c);
    };
    for (qsizetype i = 0; i < markup.size(); ++i) {
        const QChar c = markup[i];
        const bool opens_script =
            (c == u'^' || c == u'_') && i + 1 < markup.size() && markup[i + 1] == u'{';
        if (c == u'*') {
            italic = !italic;
        } else if (opens_script && script == 0) {
            script = c == u'^' ? 1 : -1;
            ++i;
        } else if (c == u'}' && script != 0) {
            script = 0;
        } else {
            append(c);
        }
    }
    return runs;
}

qreal Font_Size(const QFont& f) {
    return f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * 96.0 / 72.0;
}

QFont Run_Font(const QFont& base, const Run& r) {
    QFont f = base;
    f.setItalic(r.italic);
    if (r.script != 0) {
        if (base.pixelSize() > 0)
            f.setPixelSize(qMax(1, qRound(base.pixelSize() * 0.7)));
        else
            f.setPointSizeF(base.pointSizeF() * 0.7);
    }
    return f;
}

qreal Run_Shift(const QFont& base, const Run& r) {
    const qreal size = Font_Size(base);
    if (r.script > 0) return -0.38 * size;
    if (r.script < 0) return 0.2 * size;
    return 0.0;
}

}  // namespace

QString Sans_Family() { return QStringLiteral("DejaVu Sans Condensed"); }
QString Picture_Family() { return QStringLiteral("DejaVu Sans"); }

QString Markup_Plain(const QString& markup) {
    QString plain;
    for (const Run& r : Parse_Markup(markup)) plain += r.text;
    return plain;
}

qreal Markup_Width(const QString& markup, const QFont& font) {
    qreal w = 0;
    for (const Run& r : Parse_Markup(markup))
        w += QFontMetricsF(Run_Font(font, r)).horizontalAdvance(r.text);
    return w;
}

void Draw_Markup(QPainter& p, const QString& markup, const QFont& font, QPointF origin) {
    qreal x = origin.x();
    for (const Run& r : Parse_Markup(markup)) {
        const QFont f = Run_Font(font, r);
        p.setFont(f);
        p.drawText(QPointF(x, origin.y() + Run_Shift(font, r)), r.text);
        x += QFontMetricsF(f).horizontalAdvance(r.text);
    }
}

// ---------------------------------------------------------------------------
// Title picture

TitlePicture::TitlePicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const std::vector<TitlePicture::Line>& TitlePicture::lines() {
    static const std::vector<Line> kLines = {
        {QStringLiteral("Aqvis"), 46, true, 0},
        {QStringLiteral("Thermodynamic Properties of Aqueous Solutes"), 20, false, 4},
        {QStringLiteral("Standard thermodynamic properties of neutral solutes"), 15, false, 18},
        {QStringLiteral("in water at infinite dilution:"), 15, false, 0},
        {QStringLiteral("Gibbs free energy, entropy, molar volume"), 15, true, 4},
        {QStringLiteral("and apparent molar heat capacity,"), 15, true, 0},
        {QStringLiteral("with the Henry constant and the gas\u2013aqueous distribution constant"), 15,
         false, 0},
        {QStringLiteral("Temperatures from 0 to 500 \u00B0C, pressures from 1 to 2000 bar,"), 15,
         true, 12},
        {QStringLiteral("the near-critical region of water included"), 15, false, 0},
        {QStringLiteral("The equation of state of the solute has three empirical"), 15, false, 12},
        {QStringLiteral("parameters, *\u03BE*, *a* and *b*"), 15, false, 0},
        {QStringLiteral("The model and the parameters of the nineteen solutes"), 15, false, 12},
        {QStringLiteral("are taken from the published literature"), 15, false, 0},
        {QStringLiteral("Every result is appended to the text file \"AQVIS.OUT\""), 15, false, 12},
        {QStringLiteral("in the working directory"), 15, false, 0},
    };
    return kLines;
}

void TitlePicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient ground(0, 0, 0, height());
    ground.setColorAt(0.0, QColor(0xdd, 0xea, 0xf8));
    ground.setColorAt(0.55, QColor(0x9f, 0xc1, 0xe8));
    ground.setColorAt(1.0, QColor(0x4f, 0x82, 0xc0));
    p.fillRect(rect(), ground);

    // Centre over the part of the picture that the panel leaves in sight.
    QRect shown = rect();
    if (parentWidget()) shown &= parentWidget()->rect().translated(-pos());
    const qreal centre = shown.left() + shown.width() / 2.0;

    QRadialGradient glow(QPointF(centre, 70), shown.width() * 0.55);
    glow.setColorAt(0.0, QColor(255, 255, 255, 150));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(rect(), glow);

    const QColor ink(0x0d, 0x1f, 0x3c);
    p.setPen(ink);
    qreal baseline = 66;
    bool first = true;
    for (const Line& line : lines()) {
        QFont f(Picture_Family());
        f.setPixelSize(line.pixel_size);
        f.setBold(line.bold);
        const QFontMetricsF fm(f);
        if (!first) baseline += std::round(fm.lineSpacing() * 1.04) + line.gap_before;
        first = false;
        const qreal w = Markup_Width(line.markup, f);
        Draw_Markup(p, line.markup, f, QPointF(centre - w / 2.0, baseline));
    }
}

// ---------------------------------------------------------------------------
// Results picture

ResultPicture::ResultPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const std::vector<ResultPicture::Heading>& ResultPicture::headings() {
    static const std::vector<Heading> kHeadings = {
        {QStringLiteral("Water properties after Hill (1990)"), 15, 50, true},
        {QStringLiteral("ln(*f*, *bar*)"), 57, 78, false},
        {QStringLiteral("*\u03C1*, *g\u00B7cm^{\u22123}*"), 196, 78, false},
        {QStringLiteral("*V*, *cm^{3}\u00B7mol^{\u22121}*"), 313, 78, false},
        {QStringLiteral("*c*_{*p*}, *cal\u00B7mol^{\u22121}\u00B7K^{\u22121}*"), 37, 132, false},
        {QStringLiteral("*\u03BA*, *bar^{\u22121}*"), 200, 132, false},
        {QStringLiteral("*\u03B1*_{*V*}, *K^{\u22121}*"), 330, 132, false},
        {QStringLiteral("Aqueous Component"), 15, 211, true},
        {QStringLiteral("ln(*k*_{H}, *bar*)"), 35, 238, false},
        {QStringLiteral("*K*\u00B0(gas\u2194aq), *mol\u00B7kg^{\u22121}\u00B7bar^{\u22121}*"), 145, 238,
         false},
        {QStringLiteral("*V*, *cm^{3}\u00B7mol^{\u22121}*"), 370, 238, false},
        {QStringLiteral("*g*, *mol^{\u22121}*"), 113, 293, false},
        {QStringLiteral("*S*, *mol^{\u22121}\u00B7K^{\u22121}*"), 222, 293, false},
        {QStringLiteral("*c*_{*p*}, *mol^{\u22121}\u00B7K^{\u22121}*"), 365, 293, false},
        {QStringLiteral("in cal"), 25, 320, false},
        {QStringLiteral("in J"), 25, 350, false},
    };
    return kHeadings;
}

QFont ResultPicture::headingFont(bool section) {
    QFont f(Picture_Family());
    f.setPixelSize(section ? 15 : 14);
    f.setBold(section);
    return f;
}

void ResultPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(rect(), QColor(0xe4, 0xe4, 0xe4));
    p.setPen(QColor(0x1a, 0x1a, 0x1a));
    for (const Heading& h : headings())
        Draw_Markup(p, h.markup, headingFont(h.section), QPointF(h.x, h.y));
}

}  // namespace aqvis
