#include "support/program.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace aqvis::test {

namespace {

constexpr uid_t kNobody = 65534;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// In the child, after fork: become "nobody" when root.  Exits 125 on failure.
void drop_privileges()
{
    if (geteuid() != 0) return;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(125);
}

// In the child: everything the options ask for, then exec; a script runs
// under /bin/sh.
[[noreturn]] void exec_program(const std::vector<std::string>& args, const ProgramOptions& o,
                               bool script = false)
{
    if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(126);
    if (o.file_size_limit >= 0) {
        const rlimit lim{static_cast<rlim_t>(o.file_size_limit),
                         static_cast<rlim_t>(o.file_size_limit)};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(126);
    }
    if (o.memory_limit >= 0) {
        const rlimit lim{static_cast<rlim_t>(o.memory_limit), static_cast<rlim_t>(o.memory_limit)};
        if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(126);
    }
    signal(SIGXFSZ, o.ignore_sigxfsz ? SIG_IGN : SIG_DFL);
    signal(SIGPIPE, o.ignore_sigpipe ? SIG_IGN : SIG_DFL);
    if (o.output == kNoReader) {
        int p[2];
        if (pipe(p) != 0) _exit(126);
        close(p[0]);
        dup2(p[1], 1);
        close(p[1]);
    } else if (!o.output.empty()) {
        const int fd = open(o.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) _exit(126);
        dup2(fd, 1);
        close(fd);
    }
    for (const std::string& e : o.env) putenv(strdup(e.c_str()));
    if (o.unprivileged) drop_privileges();
    for (const int fd : o.closed) close(fd);
    if (o.time_limit) alarm(o.time_limit);
    std::vector<std::string> storage = args;
    if (script) {
        setenv("AQVIS", Program_Path().c_str(), 1);
        storage.insert(storage.begin(), {"/bin/sh", "-c"});
    } else {
        storage.insert(storage.begin(), Program_Path());
    }
    std::vector<char*> argv;
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

ProgramRun status_of(int status, const rusage* usage = nullptr)
{
    ProgramRun r;
    if (usage) r.max_rss_kb = usage->ru_maxrss;
    if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    return r;
}

}  // namespace

const std::string& Program_Path()
{
    // A copy in a directory of its own that everyone may read and enter,
    // laid out as installed (the plot module where the program looks for
    // it, the shipped data in share/aqvis beside its folder), removed when
    // the tests end.
    static char dir[] = "/tmp/aqvis-hardening-bin-XXXXXX";
    static const std::string path = [] {
        namespace fs = std::filesystem;
        if (!mkdtemp(dir)) fail("mkdtemp");
        const fs::path bin = fs::path(dir) / "bin";
        fs::create_directory(bin);
        const std::string p = (bin / "aqvis-cli").string();
        fs::copy_file(AQVIS_CLI_PATH, p);
#ifdef AQVIS_PLOT_MODULE_PATH
        const fs::path module = (bin / AQVIS_PLOT_MODULE_RELATIVE).lexically_normal();
        fs::create_directories(module.parent_path());
        fs::copy_file(AQVIS_PLOT_MODULE_PATH, module);
#endif
        const fs::path built(AQVIS_CLI_PATH), share = fs::path(dir) / "share" / "aqvis";
        fs::create_directories(share);
        for (const auto& file : fs::directory_iterator(built.parent_path().parent_path() / "share" / "aqvis"))
            fs::copy_file(file.path(), share / file.path().filename());
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            chmod(entry.path().c_str(), 0755);
        chmod(dir, 0755);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        });
        return p;
    }();
    return path;
}

namespace {

// A program that ends before it reads all its input (the input is written
// while it runs) makes the write fail with EPIPE instead of ending the tests.
void ignore_sigpipe_here()
{
    static const bool ignored = [] {
        signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

ProgramRun run(const std::vector<std::string>& args, const ProgramOptions& options, bool script)
{
    Program_Path();
    ignore_sigpipe_here();
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        fail("pipe");
    const pid_t pid = fork();
    if (pid < 0) fail("fork");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        exec_program(args, options, script);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    // Feed the input and collect both outputs without blocking on either.
    ProgramRun r;
    std::size_t fed = 0;
    int in_fd = in[1];
    if (options.input.empty()) {
        close(in_fd);
        in_fd = -1;
    } else {
        fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    bool out_open = true, err_open = true;
    char buf[65536];
    while (out_open || err_open || in_fd >= 0) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
        if (!out_open) fds[0].fd = -1;
        if (!err_open) fds[1].fd = -1;
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            fail("poll");
        }
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = read(fds[k].fd, buf, sizeof buf);
            if (n > 0)
                (k == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            else
                (k == 0 ? out_open : err_open) = false;
        }
        if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = write(in_fd, options.input.data() + fed, options.input.size() - fed);
            if (n > 0) fed += static_cast<std::size_t>(n);
            if (n < 0 && errno != EAGAIN) fed = options.input.size();  // the program stopped reading
            if (fed == options.input.size()) {
                close(in_fd);
                in_fd = -1;
            }
        }
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR) fail("waitpid");
    const ProgramRun st = status_of(status, &usage);
    r.exit_status = st.exit_status;
    r.signal = st.signal;
    r.max_rss_kb = st.max_rss_kb;
    return r;
}

}  // namespace

ProgramRun Run_Program(const std::vector<std::string>& args, const ProgramOptions& options)
{
    return run(args, options, false);
}

ProgramRun Run_Shell(const std::string& script, const ProgramOptions& options)
{
    return run({script}, options, true);
}

Started::Started(const std::vector<std::string>& args, const ProgramOptions& options)
{
    Program_Path();
    ignore_sigpipe_here();
    int in[2] = {-1, -1};
    if (options.pipe_input && pipe2(in, O_CLOEXEC) != 0) fail("pipe");
    pid_ = fork();
    if (pid_ < 0) fail("fork");
    if (pid_ == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(options.pipe_input ? in[0] : null, 0);
        dup2(null, 1);
        dup2(null, 2);
        exec_program(args, options);
    }
    if (options.pipe_input) {
        close(in[0]);
        input_ = in[1];
    }
}

Started::~Started()
{
    Close_Input();
    if (pid_ > 0) {
        Kill();
        Wait();
    }
}

void Started::Send(const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(input_, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write to the program");
        }
        done += static_cast<std::size_t>(n);
    }
}

void Started::Close_Input()
{
    if (input_ >= 0) close(input_);
    input_ = -1;
}

void Started::Kill() { Signal(SIGKILL); }

void Started::Signal(int sig)
{
    if (pid_ > 0) kill(pid_, sig);
}

ProgramRun Started::Wait()
{
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0)
        if (errno != EINTR) fail("waitpid");
    pid_ = -1;
    return status_of(status);
}

bool Unwritable_For_Program(const std::string& dir)
{
    const pid_t pid = fork();
    if (pid < 0) fail("fork");
    if (pid == 0) {
        drop_privileges();
        const std::string probe = dir + "/probe";
        const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            close(fd);
            unlink(probe.c_str());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TempDir::TempDir()
{
    char dir[] = "/tmp/aqvis-hardening-XXXXXX";
    if (!mkdtemp(dir)) fail("mkdtemp");
    path_ = dir;
    chmod(dir, 0777);  // the unprivileged runs work in here too
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Give write permission back wherever a test took it away.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec)) chmod(it->path().c_str(), 0777);
    chmod(path_.c_str(), 0777);
    std::filesystem::remove_all(path_, ec);
}

std::string Read_File(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) fail("cannot read " + path);
    std::string text;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return text;
}

void Write_File(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<std::string> List_Dir(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Crlf_Lines(const std::string& text, std::string* rest)
{
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (rest) *rest = text.substr(start);
    return lines;
}

std::vector<std::string> Lf_Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace aqvis::test
