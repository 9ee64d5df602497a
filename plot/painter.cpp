// Drawing a figure with a QPainter: panels stacked over a shared x axis,
// ticks, titles, curves and the legend.

#include "plot/painter.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace aqvis::plot {

namespace {

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A tick label as drawn: with a true minus sign.
QString tick_text(double v, const Ticks& t)
{
    QString s = qs(Tick_Label(v, t));
    s.replace(QLatin1Char('-'), QChar(0x2212));
    return s;
}

const QColor kPalette[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
    QColor(0x17, 0xbe, 0xcf),
};
constexpr int kPaletteSize = sizeof kPalette / sizeof kPalette[0];
const Qt::PenStyle kDashes[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};

QPen series_pen(std::size_t i, double width)
{
    QPen pen(kPalette[i % kPaletteSize], width);
    pen.setStyle(kDashes[(i / kPaletteSize) % 4]);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v)
    {
        if (!std::isfinite(v)) return;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    bool empty() const { return lo > hi; }
};

std::size_t count_points(const Series& s)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i)
        if (std::isfinite(s.x[i]) && std::isfinite(s.y[i])) ++n;
    return n;
}

// A point of a curve on the page; far-off points are held some way outside
// the page (they are clipped anyway), so that coordinates stay finite.
QPointF page_point(double x, double y)
{
    constexpr double kFar = 1e7;
    return QPointF(std::clamp(x, -kFar, kFar), std::clamp(y, -kFar, kFar));
}

// The path of a curve; a point that is not finite breaks it.  Consecutive
// points in one pixel column are drawn as the first, the lowest, the highest
// and the last of them: the same line on the page, and a path whose size
// follows the width of the plot rather than the number of points, so that a
// curve of millions of points needs no more memory to draw than a short one.
template <class ToX, class ToY>
QPainterPath curve_path(const Series& s, ToX px, ToY py)
{
    QPainterPath path;
    bool open = false;       // the path has a piece going on
    bool column = false;     // points of a pixel column are gathered
    double col = 0.0;
    QPointF first, low, high, last;
    bool low_first = true;   // the lowest came before the highest
    const auto draw = [&](const QPointF& pt) {
        if (open && path.currentPosition() == pt) return;
        if (open)
            path.lineTo(pt);
        else
            path.moveTo(pt);
        open = true;
    };
    const auto flush = [&] {
        if (!column) return;
        draw(first);
        draw(low_first ? low : high);
        draw(low_first ? high : low);
        draw(last);
        column = false;
    };
    for (std::size_t j = 0; j < s.x.size() && j < s.y.size(); ++j) {
        if (!(std::isfinite(s.x[j]) && std::isfinite(s.y[j]))) {
            flush();
            open = false;
            continue;
        }
        const QPointF pt = page_point(px(s.x[j]), py(s.y[j]));
        const double c = std::floor(pt.x());
        if (column && c == col) {
            // y grows downwards on the page: the lowest value has the largest y.
            if (pt.y() > low.y()) low = pt, low_first = false;
            if (pt.y() < high.y()) high = pt, low_first = true;
            last = pt;
            continue;
        }
        flush();
        column = true;
        col = c;
        first = low = high = last = pt;
        low_first = true;
    }
    flush();
    return path;
}

class Painter {
public:
    Painter(QPainter& p, const Figure& f) : p_(p), f_(f)
    {
        const double scale = std::min(f.width / 900.0, f.height / 600.0);
        base_px_ = std::clamp(13.0 * std::sqrt(std::max(scale, 0.1)), 9.0, 22.0);
        font_ = QFont(QStringLiteral("DejaVu Sans"));
        font_.setPixelSize(static_cast<int>(std::lround(base_px_)));
        title_font_ = font_;
        title_font_.setPixelSize(static_cast<int>(std::lround(base_px_ * 1.25)));
        title_font_.setBold(true);
        line_width_ = std::max(1.5, base_px_ / 7.0);
    }

    void draw()
    {
        const QRectF page(0, 0, f_.width, f_.height);
        p_.fillRect(page, Qt::white);
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setRenderHint(QPainter::TextAntialiasing, true);
        const double top = draw_title();
        if (f_.panels.empty()) return;
        const Layout l = layout(top);
        for (int k = 0; k < static_cast<int>(f_.panels.size()); ++k) {
            const double y0 = top + k * (l.panel_h + l.panel_gap);
            const QRectF area(l.left, y0, std::max(1.0, l.right - l.left), std::max(1.0, l.panel_h - l.tick_label_h));
            draw_panel(f_.panels[k], area, l.xt, l.yts[k]);
        }
        // x title under the last panel.
        p_.setFont(font_);
        p_.setPen(Qt::black);
        p_.drawText(QRectF(l.left, f_.height - l.bottom_title, l.right - l.left, l.bottom_title),
                    Qt::AlignHCenter | Qt::AlignVCenter, qs(f_.x_title));
        if (!l.legend->empty()) draw_legend(*l.legend, l.right + base_px_ * 0.8, top, f_.height - top);
    }

private:
    // Where the panels go: shared x ticks, y ticks per panel, and the plot
    // areas' left and right edges, lined up over all panels.
    struct Layout {
        const std::vector<Series>* legend = nullptr;
        double left = 0, right = 0, panel_h = 0, panel_gap = 0, tick_label_h = 0, bottom_title = 0;
        Ticks xt;
        std::vector<Ticks> yts;
    };

    // The title, if any; returns the top of the first panel.
    double draw_title()
    {
        double top = base_px_ * 0.8;
        if (f_.title.empty()) return top;
        p_.setFont(title_font_);
        const QFontMetricsF tm(title_font_);
        p_.setPen(Qt::black);
        p_.drawText(QRectF(0, top, f_.width, tm.height()), Qt::AlignHCenter | Qt::AlignTop, qs(f_.title));
        return top + tm.height() + base_px_ * 0.6;
    }

    Layout layout(double top) const
    {
        static const std::vector<Series> kNone;
        const QFontMetricsF fm(font_);
        const double pad = base_px_;
        Layout l;
        l.legend = f_.legend ? &f_.panels.front().series : &kNone;
        double legend_w = 0.0;
        for (const Series& s : *l.legend) legend_w = std::max(legend_w, fm.horizontalAdvance(qs(s.label)));
        if (!l.legend->empty()) legend_w += base_px_ * 2.2 + pad * 1.6;

        l.bottom_title = fm.height() + pad * 0.8;
        l.panel_gap = pad * 0.8;
        const int n = static_cast<int>(f_.panels.size());
        l.panel_h = (f_.height - top - l.bottom_title - l.panel_gap * (n - 1)) / n;
        l.tick_label_h = fm.height() + pad * 0.5;
        const int x_max_ticks = std::max(2, static_cast<int>((f_.width - legend_w) / (base_px_ * 7)));
        l.xt = Nice_Ticks(x_range().lo, x_range().hi, std::min(x_max_ticks, 10));

        double label_w = 0.0;
        for (const Panel& panel : f_.panels) {
            const Range yr = y_range(panel);
            const int y_max_ticks = std::clamp(static_cast<int>((l.panel_h - l.tick_label_h) / (base_px_ * 3.0)), 2, 10);
            l.yts.push_back(Nice_Ticks(yr.lo, yr.hi, y_max_ticks));
            for (double v : l.yts.back().values) label_w = std::max(label_w, fm.horizontalAdvance(tick_text(v, l.yts.back())));
        }
        l.left = pad * 0.8 + fm.height() + pad * 0.6 + label_w + pad * 0.5;
        // Room on the right for half of the last x tick label.
        const double last_half = fm.horizontalAdvance(tick_text(l.xt.values.back(), l.xt)) / 2 + 2;
        l.right = f_.width - std::max(pad, l.legend->empty() ? last_half : pad) - legend_w;
        return l;
    }

    // The x axis is shared by all panels: the x of every point with a y.
    Range x_range() const
    {
        Range xr;
        for (const Panel& panel : f_.panels)
            for (const Series& s : panel.series)
                for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i)
                    if (std::isfinite(s.y[i])) xr.add(s.x[i]);
        if (xr.empty()) xr.lo = 0.0, xr.hi = 1.0;
        return xr;
    }

    static Range y_range(const Panel& panel)
    {
        Range yr;
        for (const Series& s : panel.series)
            for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i)
                if (std::isfinite(s.x[i])) yr.add(s.y[i]);
        if (yr.empty()) yr.lo = 0.0, yr.hi = 1.0;
        return yr;
    }

    void draw_panel(const Panel& panel, const QRectF& area, const Ticks& xt, const Ticks& yt)
    {
        auto px = [&](double x) { return area.left() + (x - xt.lo) / (xt.hi - xt.lo) * area.width(); };
        auto py = [&](double y) { return area.bottom() - (y - yt.lo) / (yt.hi - yt.lo) * area.height(); };
        draw_grid(area, xt, yt, px, py);
        draw_y_title(panel, area);
        // Curves, clipped to the area.
        p_.save();
        p_.setClipRect(area.adjusted(-1, -1, 1, 1));
        for (std::size_t i = 0; i < panel.series.size(); ++i) draw_series(panel.series[i], i, px, py);
        p_.restore();
        p_.setPen(QPen(Qt::black, 1.0));
        p_.drawRect(area);
    }

    // Grid lines, tick marks and labels.
    template <class ToX, class ToY>
    void draw_grid(const QRectF& area, const Ticks& xt, const Ticks& yt, ToX px, ToY py)
    {
        const QFontMetricsF fm(font_);
        p_.setFont(font_);
        const QPen grid(QColor(0xe0, 0xe0, 0xe0), 1.0);
        const QPen tick(Qt::black, 1.0);
        const double tick_len = base_px_ * 0.35;
        for (double v : xt.values) {
            const double x = px(v);
            p_.setPen(grid);
            p_.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
            p_.setPen(tick);
            p_.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + tick_len));
            const QString label = tick_text(v, xt);
            const double w = fm.horizontalAdvance(label);
            p_.drawText(QRectF(x - w / 2 - 2, area.bottom() + tick_len, w + 4, fm.height()),
                        Qt::AlignHCenter | Qt::AlignTop, label);
        }
        for (double v : yt.values) {
            const double y = py(v);
            p_.setPen(grid);
            p_.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            p_.setPen(tick);
            p_.drawLine(QPointF(area.left() - tick_len, y), QPointF(area.left(), y));
            p_.drawText(QRectF(0, y - fm.height() / 2, area.left() - tick_len - 3, fm.height()),
                        Qt::AlignRight | Qt::AlignVCenter, tick_text(v, yt));
        }
    }

    // The y title, turned to read upwards, centred on the panel.
    void draw_y_title(const Panel& panel, const QRectF& area)
    {
        const QFontMetricsF fm(font_);
        p_.save();
        p_.translate(base_px_ * 0.8, area.center().y());
        p_.rotate(-90.0);
        p_.setPen(Qt::black);
        QString title = qs(panel.y_title);
        if (fm.horizontalAdvance(title) > area.height() && !panel.y_short_title.empty())
            title = qs(panel.y_short_title);
        title = fm.elidedText(title, Qt::ElideRight, area.height());
        p_.drawText(QRectF(-area.height() / 2, 0, area.height(), fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                    title);
        p_.restore();
    }

    template <class ToX, class ToY>
    void draw_series(const Series& s, std::size_t i, ToX px, ToY py)
    {
        const QPen pen = series_pen(i, line_width_);
        p_.setPen(pen);
        p_.setBrush(Qt::NoBrush);
        if (s.style != SeriesStyle::Points) p_.drawPath(curve_path(s, px, py));
        // Few points: mark each one, so single points and short pieces show.
        if (s.style == SeriesStyle::Points || (s.style == SeriesStyle::Line && count_points(s) <= 30)) {
            p_.setPen(QPen(pen.color(), 1.0));
            p_.setBrush(pen.color());
            const double r = line_width_ * 1.4;
            for (std::size_t j = 0; j < s.x.size() && j < s.y.size(); ++j)
                if (std::isfinite(s.x[j]) && std::isfinite(s.y[j])) p_.drawEllipse(page_point(px(s.x[j]), py(s.y[j])), r, r);
            p_.setBrush(Qt::NoBrush);
        }
    }

    void draw_legend(const std::vector<Series>& legend, double x, double top, double height)
    {
        const QFontMetricsF fm(font_);
        p_.setFont(font_);
        const double row = fm.height() * 1.35;
        const double sample_w = base_px_ * 2.2;
        const std::size_t fits = static_cast<std::size_t>(std::max(1.0, height / row));
        std::size_t shown = legend.size();
        if (shown > fits) shown = fits - 1;  // the last row says how many are left out
        double y = top + row / 2;
        for (std::size_t i = 0; i < shown; ++i, y += row) {
            const QPen pen = series_pen(i, line_width_);
            if (legend[i].style == SeriesStyle::Points) {
                p_.setPen(QPen(pen.color(), 1.0));
                p_.setBrush(pen.color());
                p_.drawEllipse(QPointF(x + sample_w / 2, y), line_width_ * 1.4, line_width_ * 1.4);
                p_.setBrush(Qt::NoBrush);
            } else {
                p_.setPen(pen);
                p_.drawLine(QPointF(x, y), QPointF(x + sample_w, y));
            }
            p_.setPen(Qt::black);
            p_.drawText(QRectF(x + sample_w + base_px_ * 0.5, y - row / 2, f_.width - x, row),
                        Qt::AlignLeft | Qt::AlignVCenter, qs(legend[i].label));
        }
        if (shown < legend.size()) {
            p_.setPen(Qt::black);
            p_.drawText(QRectF(x, y - row / 2, f_.width - x, row), Qt::AlignLeft | Qt::AlignVCenter,
                        QStringLiteral("and %1 more").arg(legend.size() - shown));
        }
    }

    QPainter& p_;
    const Figure& f_;
    double base_px_ = 13.0;
    double line_width_ = 1.5;
    QFont font_, title_font_;
};

}  // namespace

void Paint_Figure(QPainter& p, const Figure& figure) { Painter(p, figure).draw(); }

}  // namespace aqvis::plot
