// Figures to files without Qt in the program: the checks that need no
// drawing, and the plot module loaded on first use.

#include "plot/plot.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "plot/plot_module.h"

#ifndef AQVIS_PLOT_MODULE
#error "AQVIS_PLOT_MODULE: the plot module's path relative to the program's folder"
#endif

namespace aqvis::plot {

namespace {

[[noreturn]] void cannot_draw(const std::string& why) { throw std::runtime_error("cannot draw the plot: " + why); }

// The module sits where the build and the installation put it, relative to
// the folder of the running program (the file itself, symbolic links
// followed), so a build tree, `cmake --install` to any prefix and the
// Debian package all find their own.
std::string module_path()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf)
        cannot_draw("the program's own file is not known (is /proc mounted?), so the plot module is not found");
    const std::filesystem::path program(std::string(buf, static_cast<std::size_t>(n)));
    return (program.parent_path() / AQVIS_PLOT_MODULE).lexically_normal().string();
}

DrawFigureFunction* load()
{
    const std::string path = module_path();
    // Bound now, so that a module whose libraries lack a function fails here
    // rather than in the middle of drawing; kept to itself.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* why = ::dlerror();
        cannot_draw(std::string("the plot module cannot be loaded (") + (why ? why : path.c_str()) + ")");
    }
    void* entry = ::dlsym(module, kDrawFigureSymbol);
    if (!entry) {
        ::dlclose(module);
        cannot_draw(path + " is not the plot module of this aqvis-cli (it has no " + kDrawFigureSymbol + ")");
    }
    return reinterpret_cast<DrawFigureFunction*>(entry);
}

DrawFigureFunction* g_draw = nullptr;  // once loaded, for the life of the process

}  // namespace

void Load_Plot_Module()
{
    if (!g_draw) g_draw = load();
}

void Write_Figure(const Figure& figure, const std::string& path)
{
    if (figure.width < 16 || figure.height < 16 || figure.width > 20000 || figure.height > 20000)
        throw std::runtime_error("cannot write the plot " + path + ": the size must be between 16 and 20000 pixels");
    const std::string ext = Plot_Extension(path);
    if (ext != "svg" && ext != "png")
        throw std::runtime_error("cannot write the plot " + path + ": the file name must end in .svg or .png");
    Load_Plot_Module();
    std::string message;
    switch (g_draw(figure, path, message)) {
    case kDrawn: return;
    case kDrawOutOfMemory: throw std::bad_alloc();
    default:
        if (message.empty()) cannot_draw("the plot module stopped on an unknown error");
        throw std::runtime_error(message);
    }
}

}  // namespace aqvis::plot
