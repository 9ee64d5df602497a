#include "io/text_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "core/errors.h"
#include "io/text.h"

namespace aqvis {

std::string Read_Text_Stream(std::FILE* in, const std::string& name)
{
    std::string text;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
        if (text.size() + n > kMaxTextFileBytes)
            throw CalcError(ErrorKind::FileError, "cannot read " + Printable(name) + ": it is longer than " +
                                                      std::to_string(kMaxTextFileBytes >> 20) + " MiB");
        text.append(buf, n);
    }
    if (std::ferror(in))
        throw CalcError(ErrorKind::FileError,
                        "cannot read " + Printable(name) + ": " + std::strerror(errno ? errno : EIO));
    return text;
}

std::string Read_Text_File(const std::string& path)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) throw CalcError(ErrorKind::FileError, "cannot read " + Printable(path) + ": " + std::strerror(errno));
    return Read_Text_Stream(f.get(), path);
}

}  // namespace aqvis
