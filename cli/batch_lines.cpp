#include "cli/batch_lines.h"

#include <cerrno>
#include <cstring>

namespace aqvis::cli {

int LineReader::get()
{
    const int c = getc_unlocked(in_);
    if (c == EOF && std::ferror(in_)) throw InputError(std::strerror(errno ? errno : EIO));
    return c;
}

void LineReader::check_encoding(const std::string& t) const
{
    const auto b = [&](std::size_t i) { return i < t.size() ? static_cast<unsigned char>(t[i]) : 0x100u; };
    const bool bom16 = (b(0) == 0xFF && b(1) == 0xFE) || (b(0) == 0xFE && b(1) == 0xFF);
    const bool bom32be = b(0) == 0 && b(1) == 0 && b(2) == 0xFE && b(3) == 0xFF;
    // Text of ASCII characters in UTF-16 or UTF-32 has zero bytes beside them.
    const bool zeros16 = t.size() >= 2 && ((b(0) == 0) != (b(1) == 0));
    const bool zeros32be = t.size() >= 4 && b(0) == 0 && b(1) == 0 && b(2) == 0 && b(3) != 0;
    if (bom16 || bom32be || zeros16 || zeros32be)
        throw InputError("the text is in UTF-16 or UTF-32; save it as UTF-8 (or ASCII) and run "
                         "the batch again");
}

bool LineReader::Next(std::string& text, bool& too_long)
{
    text.clear();
    too_long = false;
    int c;
    if (skipping_) {
        while ((c = get()) != EOF && c != '\n' && c != '\r') {
        }
        skipping_ = false;
        if (c == EOF) return false;
        skip_lf_ = c == '\r';
    }
    c = get();
    if (skip_lf_ && c == '\n') c = get();  // the LF of a CR LF
    skip_lf_ = false;
    if (c == EOF) return false;  // no line begun (an empty one counts when it has an end)
    // The characters up to the line's end gather in a small buffer, appended
    // to the text when it is full and at the end.
    char piece[256];
    static_assert(kMaxLine % sizeof piece == 0);
    std::size_t held = 0;
    while (c != '\n' && c != '\r' && c != EOF) {
        piece[held++] = static_cast<char>(c);
        c = get();
        if (held < sizeof piece) continue;
        text.append(piece, held);
        held = 0;
        if (text.size() == kMaxLine && c != '\n' && c != '\r' && c != EOF) {
            // Hand back what is kept; the rest is skipped on the next call.
            too_long = true;
            skipping_ = true;
            break;
        }
    }
    text.append(piece, held);
    skip_lf_ = !too_long && c == '\r';
    if (first_) {
        first_ = false;
        check_encoding(text);
        // A byte-order mark some editors put in front of a UTF-8 file.
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    }
    return true;
}

bool Is_Title_Line(const std::vector<std::string_view>& fields)
{
    const std::string_view f = Trimmed(fields.front());
    if (f.size() < 6) return false;
    for (std::size_t i = 0; i < 6; ++i)
        if ((f[i] | 0x20) != "solute"[i]) return false;
    return true;
}

}  // namespace aqvis::cli
