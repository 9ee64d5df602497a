// Drawing a figure into an SVG or PNG file with Qt: the plot module's one
// entry (plot_module.h), in aqvis-plot.so.

#include "plot/plot_module.h"

#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QString>
#include <QSvgGenerator>

#include <clocale>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "core/errors.h"
#include "io/file_writer.h"
#include "plot/painter.h"

namespace aqvis::plot {

namespace {

// Set while the application object is being made: a fatal message then means
// that Qt cannot start its platform plugin (missing, or no file descriptors
// left), and Qt would abort the program.
bool g_starting_gui = false;

void message_handler(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    // Qt's own notes (no runtime directory and the like) are not for the
    // user of a command-line program; failures are reported by the caller.
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "aqvis-cli: %s\n", msg.toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        // Qt aborts after a fatal message; the program ends as it would for
        // any file it cannot write instead, with what it wrote kept.
        std::fprintf(stderr, "aqvis-cli: cannot draw the plot: %s\n",
                     g_starting_gui ? "Qt could not start its platform plugin" : "Qt stopped drawing");
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(1);
    }
}

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
    qInstallMessageHandler(message_handler);
    static int argc = 3;
    static char arg0[] = "aqvis-cli", arg1[] = "-platform", arg2[] = "offscreen";
    static char* argv[] = {arg0, arg1, arg2, nullptr};
    // Qt sets the C locale from the environment; the rest of the program
    // formats numbers with the "C" rules, so the locale is put back.
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current ? current : "C";
    g_starting_gui = true;
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    g_starting_gui = false;
    std::setlocale(LC_ALL, saved.c_str());
}

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

[[noreturn]] void cannot_write(const std::string& path, const std::string& why)
{
    throw std::runtime_error("cannot write the plot " + path + ": " + why);
}

QByteArray png_bytes(const Figure& figure, const std::string& path)
{
    QImage image(figure.width, figure.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) cannot_write(path, "not enough memory for the picture");
    {
        QPainter p(&image);
        Paint_Figure(p, figure);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) cannot_write(path, "the picture could not be encoded");
    buffer.close();
    return bytes;
}

QByteArray svg_bytes(const Figure& figure)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(figure.width, figure.height));
        svg.setViewBox(QRect(0, 0, figure.width, figure.height));
        svg.setResolution(96);
        // The generator writes title and description as they are; drawn
        // texts it escapes itself.
        svg.setTitle(qs(figure.title.empty() ? std::string("Aqvis plot") : figure.title).toHtmlEscaped());
        svg.setDescription(QStringLiteral("Aqvis plot"));
        QPainter p(&svg);
        Paint_Figure(p, figure);
    }
    // The generator gives the size in millimetres at its resolution; the
    // file states it in pixels, the size that was asked for.
    static const QRegularExpression size_attrs(
        QStringLiteral("<svg([^>]*?) width=\"[0-9.]+mm\" height=\"[0-9.]+mm\""));
    QString s = QString::fromUtf8(buffer.data());
    s.replace(size_attrs,
              QStringLiteral("<svg\\1 width=\"%1\" height=\"%2\"").arg(figure.width).arg(figure.height));
    return s.toUtf8();
}

// Size and extension are checked by the caller (plot.cpp).
void write_figure(const Figure& figure, const std::string& path)
{
    ensure_gui();
    const QByteArray bytes = Plot_Extension(path) == "png" ? png_bytes(figure, path) : svg_bytes(figure);
    try {
        Write_File_Whole(FileTarget{path, "the plot ", true},
                         std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const CalcError& e) {
        throw std::runtime_error(e.what());
    }
}

}  // namespace

}  // namespace aqvis::plot

extern "C" __attribute__((visibility("default"))) int AQVIS_PLOT_DRAW_FIGURE(
    const aqvis::plot::Figure& figure, const std::string& path, std::string& message)
{
    using namespace aqvis::plot;
    static_assert(std::is_same_v<decltype(AQVIS_PLOT_DRAW_FIGURE), DrawFigureFunction>);
    try {
        write_figure(figure, path);
        return kDrawn;
    } catch (const std::bad_alloc&) {
        return kDrawOutOfMemory;
    } catch (const std::exception& e) {
        try {
            message = e.what();
        } catch (const std::bad_alloc&) {
            return kDrawOutOfMemory;
        }
        return kDrawFailed;
    } catch (...) {
        return kDrawFailed;  // `message` left empty: the caller says the plot cannot be drawn
    }
}
