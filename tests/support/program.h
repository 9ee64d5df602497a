#pragma once
// Running the built aqvis-cli as a separate process, the way a user or a
// script does, with the faults a file system can throw at it: a working
// directory it may not write to, a file size limit, a kill at any moment,
// an output that cannot be written.  Every test that runs the program runs
// it through here.

#include <sys/types.h>

#include <string>
#include <vector>

namespace aqvis::test {

struct ProgramOptions {
    std::string cwd;                 // working directory ("" = the test's own)
    std::string input;               // standard input
    bool unprivileged = false;       // run as "nobody" when the test runs as root
    long long file_size_limit = -1;  // RLIMIT_FSIZE in bytes, -1 = none
    long long memory_limit = -1;     // RLIMIT_AS in bytes, -1 = none
    bool ignore_sigxfsz = true;      // as a shell with `trap '' XFSZ` would start it
    std::vector<std::string> env;    // extra NAME=VALUE entries
    bool pipe_input = false;         // Started: standard input from Send()
    // Standard output: "" = a pipe read into ProgramRun::out; a path (such as
    // /dev/full) to write to; kNoReader: a pipe whose reading end is already
    // closed (a reader that went away).
    std::string output;
    bool ignore_sigpipe = false;     // as a shell with `trap '' PIPE` would start it
    std::vector<int> closed;         // standard descriptors it starts without
    unsigned time_limit = 0;         // seconds until SIGALRM ends it, 0 = none
};

inline constexpr const char* kNoReader = "<no reader>";

struct ProgramRun {
    int exit_status = -1;  // -1 when ended by a signal
    int signal = 0;        // the signal that ended it, 0 when it exited
    std::string out, err;
    long max_rss_kb = 0;   // the most memory it held at once
};

// Path of the program under test (copied to a directory every user can read,
// so that it can also run unprivileged).
const std::string& Program_Path();

// Runs the program to its end.
ProgramRun Run_Program(const std::vector<std::string>& args, const ProgramOptions& options = {});
// Runs a /bin/sh script to its end, with the program's path in $AQVIS.
ProgramRun Run_Shell(const std::string& script, const ProgramOptions& options = {});

// A program started in the background, its output going to /dev/null and
// its input from /dev/null or, with `pipe_input`, from Send().
class Started {
public:
    Started(const std::vector<std::string>& args, const ProgramOptions& options = {});
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    void Send(const std::string& text);
    void Close_Input();
    void Kill();           // SIGKILL
    void Signal(int sig);
    ProgramRun Wait();     // waits for the end; out and err stay empty
private:
    pid_t pid_ = -1;
    int input_ = -1;
};

// True when a process that drops to "nobody" (see ProgramOptions) cannot
// create a file in `dir`: the precondition of the tests that need an
// unwritable directory.
bool Unwritable_For_Program(const std::string& dir);

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string Read_File(const std::string& path);
void Write_File(const std::string& path, const std::string& bytes);
// Names in a directory, sorted.
std::vector<std::string> List_Dir(const std::string& dir);

// The CR LF lines of a report; `rest` receives what follows the last CR LF.
std::vector<std::string> Crlf_Lines(const std::string& text, std::string* rest = nullptr);
// The lines of the program's standard output.
std::vector<std::string> Lf_Lines(const std::string& text);

}  // namespace aqvis::test
