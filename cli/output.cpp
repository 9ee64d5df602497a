#include "cli/output.h"

#include <cerrno>

namespace aqvis::cli {

void Output::fail()
{
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

bool Output::Write(std::string_view text)
{
    if (error_ != 0) return false;
    if (text.empty()) return true;
    errno = 0;
    if (!file_ || std::fwrite(text.data(), 1, text.size(), file_) != text.size()) fail();
    return error_ == 0;
}

bool Output::Flush()
{
    if (error_ != 0) return false;
    errno = 0;
    if (!file_ || std::fflush(file_) != 0 || std::ferror(file_)) fail();
    return error_ == 0;
}

}  // namespace aqvis::cli
