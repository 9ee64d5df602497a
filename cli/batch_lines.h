#pragma once
// The lines of a batch file, read as they come (a pipe feeds the cases one
// by one) and never held beyond a fixed length.  A line ends at LF, CR LF or
// a lone CR.  A byte-order mark before the first line is skipped; a file in
// UTF-16 or UTF-32 is refused as a whole.

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "io/text.h"

namespace aqvis::cli {

// The input cannot be read as a batch file; the message says why.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LineReader {
public:
    // Longer lines are refused; no case comes near it.
    static constexpr std::size_t kMaxLine = 65536;

    explicit LineReader(std::FILE* in) : in_(in) {}

    // The next line without its end, in `text`.  A line longer than kMaxLine
    // comes back at once with its first kMaxLine bytes and `too_long` set;
    // the rest of it is skipped, never stored.  False at the end of the
    // input.  Throws InputError on a read error or a UTF-16/32 file.
    bool Next(std::string& text, bool& too_long);

private:
    int get();
    void check_encoding(const std::string& first_line) const;
    std::FILE* in_;
    bool first_ = true;
    bool skip_lf_ = false;   // the last line ended in CR: an LF right after it belongs to it
    bool skipping_ = false;  // inside a line that was too long
};

// True for a line that looks like a title: its first field begins with
// "solute" in any case ("solute,temp,press", "Solute,Temp,Press").  A first
// line whose first field is a known formula is a case all the same.
bool Is_Title_Line(const std::vector<std::string_view>& fields);

}  // namespace aqvis::cli
