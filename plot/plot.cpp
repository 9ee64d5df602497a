#include "plot/plot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegularExpression>
#include <QString>
#include <QSvgGenerator>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace aqvis::plot {

// ---------------------------------------------------------------- drawing

namespace {

// Text needs the font database, hence a GUI application object.  It runs
// on the offscreen platform, so no display is needed, and is kept for the
// life of the process.
void ensure_gui()
{
    if (QCoreApplication::instance()) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            throw std::runtime_error("cannot draw text: the application object has no GUI");
        return;
    }
    // Qt's own notes (no runtime directory and the like) are not for the
    // user of a command-line program; failures are reported by the caller.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "aqvis-cli: %s\n", msg.toLocal8Bit().constData());
    });
    static int argc = 3;
    static char arg0[] = "aqvis-cli", arg1[] = "-platform", arg2[] = "offscreen";
    static char* argv[] = {arg0, arg1, arg2, nullptr};
    // Qt sets the C locale from the environment; the rest of the program
    // formats numbers with the "C" rules, so the locale is put back.
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current ? current : "C";
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    std::setlocale(LC_ALL, saved.c_str());
}

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

        const QFontMetricsF fm(font_);
        const double pad = base_px_;
        double top = pad * 0.8;
        if (!f_.title.empty()) {
            p_.setFont(title_font_);
            const QFontMetricsF tm(title_font_);
            p_.setPen(Qt::black);
            p_.drawText(QRectF(0, top, f_.width, tm.height()), Qt::AlignHCenter | Qt::AlignTop,
                        qs(f_.title));
            top += tm.height() + pad * 0.6;
        }
        if (f_.panels.empty()) return;

        // The x axis is shared by all panels.
        Range xr;
        for (const Panel& panel : f_.panels)
            for (const Series& s : panel.series)
                for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i)
                    if (std::isfinite(s.y[i])) xr.add(s.x[i]);
        if (xr.empty()) xr.lo = 0.0, xr.hi = 1.0;

        // Legend column on the right.
        static const std::vector<Series> kNone;
        const std::vector<Series>& legend = f_.legend ? f_.panels.front().series : kNone;
        double legend_w = 0.0;
        const double sample_w = base_px_ * 2.2;
        for (const Series& s : legend)
            legend_w = std::max(legend_w, fm.horizontalAdvance(qs(s.label)));
        if (!legend.empty()) legend_w += sample_w + pad * 1.6;

        const double bottom_title = fm.height() + pad * 0.8;
        const double panel_gap = pad * 0.8;
        const int n = static_cast<int>(f_.panels.size());
        const double avail = f_.height - top - bottom_title - panel_gap * (n - 1);
        const double panel_h = avail / n;
        const double tick_label_h = fm.height() + pad * 0.5;
        const int x_max_ticks = std::max(2, static_cast<int>((f_.width - legend_w) / (base_px_ * 7)));
        const Ticks xt = Nice_Ticks(xr.lo, xr.hi, std::min(x_max_ticks, 10));

        // y ticks per panel, and the widest tick label of all, so the plot
        // areas line up.
        std::vector<Ticks> yts;
        double label_w = 0.0;
        for (const Panel& panel : f_.panels) {
            Range yr;
            for (const Series& s : panel.series)
                for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i)
                    if (std::isfinite(s.x[i])) yr.add(s.y[i]);
            if (yr.empty()) yr.lo = 0.0, yr.hi = 1.0;
            const double plot_h = panel_h - tick_label_h;
            const int y_max_ticks = std::clamp(static_cast<int>(plot_h / (base_px_ * 3.0)), 2, 10);
            yts.push_back(Nice_Ticks(yr.lo, yr.hi, y_max_ticks));
            for (double v : yts.back().values)
                label_w = std::max(label_w, fm.horizontalAdvance(tick_text(v, yts.back())));
        }
        const double left = pad * 0.8 + fm.height() + pad * 0.6 + label_w + pad * 0.5;
        // Room on the right for half of the last x tick label.
        const double last_half = fm.horizontalAdvance(tick_text(xt.values.back(), xt)) / 2 + 2;
        const double right = f_.width - std::max(pad, legend.empty() ? last_half : pad) - legend_w;

        for (int k = 0; k < n; ++k) {
            const double y0 = top + k * (panel_h + panel_gap);
            const QRectF area(left, y0, std::max(1.0, right - left),
                              std::max(1.0, panel_h - tick_label_h));
            draw_panel(f_.panels[k], area, xt, yts[k]);
        }

        // x title under the last panel.
        p_.setFont(font_);
        p_.setPen(Qt::black);
        p_.drawText(QRectF(left, f_.height - bottom_title, right - left, bottom_title),
                    Qt::AlignHCenter | Qt::AlignVCenter, qs(f_.x_title));

        if (!legend.empty()) draw_legend(legend, right + pad * 0.8, top, f_.height - top);
    }

private:
    void draw_panel(const Panel& panel, const QRectF& area, const Ticks& xt, const Ticks& yt)
    {
        const QFontMetricsF fm(font_);
        auto px = [&](double x) { return area.left() + (x - xt.lo) / (xt.hi - xt.lo) * area.width(); };
        auto py = [&](double y) { return area.bottom() - (y - yt.lo) / (yt.hi - yt.lo) * area.height(); };

        // Grid lines, tick marks and labels.
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
            const QString label = tick_text(v, yt);
            p_.drawText(QRectF(0, y - fm.height() / 2, area.left() - tick_len - 3, fm.height()),
                        Qt::AlignRight | Qt::AlignVCenter, label);
        }

        // y title, turned to read upwards, centred on the panel.
        p_.save();
        p_.translate(base_px_ * 0.8, area.center().y());
        p_.rotate(-90.0);
        p_.setPen(Qt::black);
        QString title = qs(panel.y_title);
        if (fm.horizontalAdvance(title) > area.height() && !panel.y_short_title.empty())
            title = qs(panel.y_short_title);
        title = fm.elidedText(title, Qt::ElideRight, area.height());
        p_.drawText(QRectF(-area.height() / 2, 0, area.height(), fm.height()),
                    Qt::AlignHCenter | Qt::AlignTop, title);
        p_.restore();

        // Curves, clipped to the area.
        p_.save();
        p_.setClipRect(area.adjusted(-1, -1, 1, 1));
        for (std::size_t i = 0; i < panel.series.size(); ++i) {
            const Series& s = panel.series[i];
            const QPainterPath path = curve_path(s, px, py);
            const QPen pen = series_pen(i, line_width_);
            p_.setPen(pen);
            p_.setBrush(Qt::NoBrush);
            if (s.style != SeriesStyle::Points) p_.drawPath(path);
            // Few points: mark each one, so single points and short pieces show.
            if (s.style == SeriesStyle::Points || (s.style == SeriesStyle::Line && count_points(s) <= 30)) {
                p_.setPen(QPen(pen.color(), 1.0));
                p_.setBrush(pen.color());
                const double r = line_width_ * 1.4;
                for (std::size_t j = 0; j < s.x.size() && j < s.y.size(); ++j)
                    if (std::isfinite(s.x[j]) && std::isfinite(s.y[j]))
                        p_.drawEllipse(page_point(px(s.x[j]), py(s.y[j])), r, r);
                p_.setBrush(Qt::NoBrush);
            }
        }
        p_.restore();

        p_.setPen(QPen(Qt::black, 1.0));
        p_.drawRect(area);
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

std::string lower_extension(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

[[noreturn]] void cannot_write(const std::string& path, const std::string& why)
{
    throw std::runtime_error("cannot write the plot " + path + ": " + why);
}

bool write_all(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Puts `bytes` into the file at `path` (its bytes used as given): written in
// full to a new file beside it, then renamed over it, so that a failure
// (a full disk, say) leaves the earlier file as it was.  A path that names
// something other than a regular file (a device) is written directly.
void replace_file(const std::string& path, const QByteArray& bytes)
{
    struct stat st {};
    std::string target = path;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // The file the link points to is replaced; the link stays.
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) cannot_write(path, std::strerror(errno));
        const bool ok = write_all(fd, bytes);
        const int err = errno;
        ::close(fd);
        if (!ok) cannot_write(path, std::strerror(err));
        return;
    }
    const auto slash = target.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = dir + "." + base + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) cannot_write(path, std::strerror(errno));
    // The permissions the file has, or those a new file gets.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && write_all(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        cannot_write(path, std::strerror(err));
    }
}

}  // namespace

void Write_Figure(const Figure& figure, const std::string& path)
{
    if (figure.width < 16 || figure.height < 16 || figure.width > 20000 || figure.height > 20000)
        cannot_write(path, "the size must be between 16 and 20000 pixels");
    const std::string ext = lower_extension(path);
    if (ext != "svg" && ext != "png") cannot_write(path, "the file name must end in .svg or .png");
    ensure_gui();

    if (ext == "png") {
        QImage image(figure.width, figure.height, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) cannot_write(path, "not enough memory for the picture");
        {
            QPainter p(&image);
            Painter(p, figure).draw();
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) cannot_write(path, "the picture could not be encoded");
        buffer.close();
        replace_file(path, bytes);
        return;
    }

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(figure.width, figure.height));
        svg.setViewBox(QRect(0, 0, figure.width, figure.height));
        svg.setResolution(96);
        svg.setTitle(qs(figure.title.empty() ? std::string("Aqvis plot") : figure.title));
        svg.setDescription(QStringLiteral("Aqvis plot"));
        QPainter p(&svg);
        Painter(p, figure).draw();
    }
    // The generator gives the size in millimetres at its resolution; the
    // file states it in pixels, the size that was asked for.
    QByteArray text = buffer.data();
    static const QRegularExpression size_attrs(
        QStringLiteral("<svg([^>]*?) width=\"[0-9.]+mm\" height=\"[0-9.]+mm\""));
    QString s = QString::fromUtf8(text);
    s.replace(size_attrs, QStringLiteral("<svg\\1 width=\"%1\" height=\"%2\"")
                              .arg(figure.width)
                              .arg(figure.height));
    text = s.toUtf8();
    replace_file(path, text);
}

}  // namespace aqvis::plot
