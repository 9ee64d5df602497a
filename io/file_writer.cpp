#include "io/file_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

#include "core/errors.h"
#include "io/text.h"
#include "io/text_file.h"

namespace aqvis {

namespace {

class Writer {
public:
    explicit Writer(const FileTarget& t) : t_(t) {}
    ~Writer()
    {
        if (fd_ >= 0) ::close(fd_);
    }

    [[noreturn]] void fail(const std::string& why) const
    {
        throw CalcError(ErrorKind::FileError, "cannot write " + t_.what + Printable(t_.path) + ": " + why);
    }
    [[noreturn]] void fail_errno(int err) const { fail(std::strerror(err)); }

    // The file the path names, symbolic links followed (a dangling one to
    // the file it would name); true when it exists.
    bool resolve();
    // Checks what exists at the target: a regular file the user may write,
    // or (where allowed) a character device.
    void check_kind() const;
    // Opens (creating) and locks the target; the lock is on the file the
    // path names once it is held.
    void open_locked();
    std::string read_locked() const;
    void replace(std::string_view text) const;
    void write_device(std::string_view text) const;
    bool device() const { return exists_ && S_ISCHR(st_.st_mode); }
    void drop_created_file() const;

private:
    const FileTarget& t_;
    std::string target_;
    bool exists_ = false, created_ = false;
    struct stat st_ {};
    int fd_ = -1;
};

std::string folder_of(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool write_all(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

const char* kind_of(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a device";
    return "not a regular file";
}

bool Writer::resolve()
{
    target_ = t_.path;
    for (int hops = 0;; ++hops) {
        if (::lstat(target_.c_str(), &st_) != 0) {
            if (errno != ENOENT) fail_errno(errno);
            return exists_ = false;
        }
        if (!S_ISLNK(st_.st_mode)) break;
        if (hops == 40) fail_errno(ELOOP);
        char link[PATH_MAX];
        const ssize_t n = ::readlink(target_.c_str(), link, sizeof link - 1);
        if (n < 0) fail_errno(errno);
        const std::string to(link, static_cast<std::size_t>(n));
        target_ = to.starts_with('/') ? to : folder_of(target_) + to;
    }
    return exists_ = true;
}

void Writer::check_kind() const
{
    if (!exists_) return;
    if (S_ISCHR(st_.st_mode) && t_.devices) return;
    if (!S_ISREG(st_.st_mode)) fail(std::string("it is ") + kind_of(st_.st_mode) + ", not a regular file");
    // The permissions say read-only even where the user could override them.
    if ((st_.st_mode & 0222) == 0) fail("the file is read-only; nothing was written");
    if (::access(target_.c_str(), W_OK) != 0)
        fail(std::string(std::strerror(errno)) + " (the file may not be written by this user); nothing was written");
}

void Writer::open_locked()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kUpdateLockWait;
    for (;;) {
        const int fd = ::open(target_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd < 0) fail_errno(errno);
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
        created_ = created_ || !exists_;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) break;  // no locks on this file system: go on unlocked
            if (Clock::now() >= deadline)
                fail("another program holds it (locked for more than " +
                     std::to_string(kUpdateLockWait.count() / 1000) + " s); nothing was written");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Another writer may have put a new file in its place while we waited.
        struct stat held {}, named {};
        if (::fstat(fd_, &held) != 0) fail_errno(errno);
        if (::stat(target_.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            st_ = held;
            exists_ = true;
            return;
        }
    }
}

std::string Writer::read_locked() const
{
    std::string text;
    char buf[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd_, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw CalcError(ErrorKind::FileError, "cannot read " + Printable(t_.path) + ": " + std::strerror(errno));
        if (n == 0) return text;
        if (text.size() + static_cast<std::size_t>(n) > kMaxTextFileBytes)
            throw CalcError(ErrorKind::FileError, "cannot read " + Printable(t_.path) + ": it is longer than " +
                                                      std::to_string(kMaxTextFileBytes >> 20) + " MiB");
        text.append(buf, static_cast<std::size_t>(n));
        at += n;
    }
}

void Writer::write_device(std::string_view text) const
{
    const int fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) fail_errno(errno);
    const bool ok = write_all(fd, text);
    const int err = errno;
    ::close(fd);
    if (!ok) fail_errno(err);
}

void Writer::replace(std::string_view text) const
{
    const std::string folder = folder_of(target_);
    std::string temp = folder + "." + target_.substr(folder.size()) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) fail(std::string("cannot make a temporary file beside it: ") + std::strerror(errno));
    mode_t mode = st_.st_mode & 07777;
    if (!exists_) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int err = 0;
    const auto step = [&err](bool ok) {
        if (!ok && err == 0) err = errno ? errno : EIO;
        return ok;
    };
    // Owner and group first: changing them may clear the set-id bits the mode then puts back.
    bool ok = !exists_ || (st_.st_uid == ::geteuid() && st_.st_gid == ::getegid()) ||
              step(::fchown(fd, st_.st_uid, st_.st_gid) == 0);
    ok = ok && step(::fchmod(fd, mode) == 0) && step(write_all(fd, text)) && step(::fsync(fd) == 0);
    const bool closed = ::close(fd) == 0;
    ok = step(closed) && ok;
    ok = ok && step(::rename(temp.c_str(), target_.c_str()) == 0);
    if (!ok) {
        ::unlink(temp.c_str());
        fail(std::string(std::strerror(err)) + "; nothing was written");
    }
}

// An update that fails leaves no empty file behind where there was none.
void Writer::drop_created_file() const
{
    struct stat named {};
    if (created_ && ::stat(target_.c_str(), &named) == 0 && named.st_ino == st_.st_ino &&
        named.st_dev == st_.st_dev && named.st_size == 0)
        ::unlink(target_.c_str());
}

}  // namespace

void Write_File_Whole(const FileTarget& target, std::string_view text)
{
    Writer w(target);
    w.resolve();
    w.check_kind();
    if (w.device())
        w.write_device(text);
    else
        w.replace(text);
}

void Update_File_Whole(const FileTarget& target,
                       const std::function<std::string(const std::string& old)>& update)
{
    Writer w(target);
    w.resolve();
    w.check_kind();
    w.open_locked();
    try {
        w.check_kind();
        const std::string text = update(w.read_locked());
        w.replace(text);
    } catch (...) {
        w.drop_created_file();
        throw;
    }
}

}  // namespace aqvis
