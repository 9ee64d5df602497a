#pragma once
// Standard output with every write checked.  After the first failure nothing
// more is written; the command notices at its next check and stops, and the
// program ends with a message and exit status 1 (quietly for a reader that
// went away, such as `| head -1`).

#include <cstdio>
#include <string_view>

namespace aqvis::cli {

class Output {
public:
    explicit Output(std::FILE* file) : file_(file) {}

    // Writes `text`; false once any write has failed.
    bool Write(std::string_view text);
    // Hands what is buffered to the system; false once any write has failed.
    bool Flush();

    bool Failed() const { return error_ != 0; }
    // The errno of the first failure (EPIPE: the reader went away).
    int Error() const { return error_; }
    std::FILE* File() const { return file_; }

private:
    void fail();
    std::FILE* file_;
    int error_ = 0;
};

}  // namespace aqvis::cli
