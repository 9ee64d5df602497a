#include "results/report.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "core/errors.h"

namespace aqvis {

namespace {

[[noreturn]] void file_error(const std::string& what, const std::string& path, int err)
{
    throw CalcError(ErrorKind::FileError, what + " " + path + ": " + std::strerror(err));
}

const char* Kind_Of_File(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISDIR(mode)) return "a directory";
    return "not a regular file";
}

[[noreturn]] void not_regular(const std::string& path, mode_t mode)
{
    throw CalcError(ErrorKind::FileError, "Cannot open the report file " + path + ": it is " +
                                              Kind_Of_File(mode) + ", not a regular file");
}

// Opens `path` for appending.  The open itself never waits (a named pipe
// without a reader would hold it for ever), and only a regular file or a
// character device is kept: a device is written without blocking, so a
// write that cannot go through fails at once.  The descriptor is above the
// standard ones, so text meant for a closed standard output can never land
// in the report.
int Open_For_Appending(const std::string& path, bool& regular)
{
    // Read access as well, when the file allows it, to look at its end.
    constexpr int flags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_RDWR | flags, 0666);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | flags, 0666);
    struct stat st {};
    if (fd < 0) {
        const int err = errno;
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0) not_regular(path, st.st_mode);
        file_error("Cannot open the report file", path, err);
    }
    auto fail = [&](auto&& report) {
        ::close(fd);
        report();
    };
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        fail([&] { file_error("Cannot open the report file", path, err); });
    }
    if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) fail([&] { not_regular(path, st.st_mode); });
    regular = S_ISREG(st.st_mode);
    if (regular && ::fcntl(fd, F_SETFL, O_APPEND) != 0) {
        const int err = errno;
        fail([&] { file_error("Cannot open the report file", path, err); });
    }
    if (fd <= STDERR_FILENO) {
        const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        const int err = errno;
        ::close(fd);
        if (high < 0) file_error("Cannot open the report file", path, err);
        fd = high;
    }
    return fd;
}

std::string Duration_Text(std::chrono::milliseconds wait)
{
    const auto ms = wait.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

ReportFile::ReportFile(std::string path) : path_(std::move(path)) {}

ReportFile::~ReportFile() { Close_Report(); }

void ReportFile::Open()
{
    Close_Report();
    bool regular = false;
    const int fd = Open_For_Appending(path_, regular);
    fd_ = fd;
    regular_ = regular;
    end_ = -1;  // the end is looked at under the first lock
    header_.clear();
}

void ReportFile::Open_Report(const CatalogueEntry& s, std::string_view decimal_sep)
{
    Close_Report();
    // The clock is read once, before anything is written.
    const std::string header = Header_Lines_Now(s, decimal_sep);
    Open();
    try {
        Append_Unit(header);
    } catch (...) {
        Close_Report();
        throw;
    }
}

void ReportFile::Append_Result_Line(const CalcValues& s, const DerivedValues& d,
                                    std::string_view decimal_sep)
{
    if (fd_ < 0) file_error("Cannot write the report file", path_, EBADF);
    Append_Unit(Result_Line(s, d, decimal_sep));
}

void ReportFile::Close_Report()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

// Takes the exclusive lock on the report.  Other programs appending to the
// same report take the same lock for their lines, so a cut-back can never
// remove one of theirs.  A program that holds the lock and does not let go
// (stopped, or hung on a dead network drive) fails this append after
// lock_wait() instead of stopping this program too.
void ReportFile::lock()
{
    using Clock = std::chrono::steady_clock;
    // Once the wait has run out, the next appends try only once until the
    // lock is had again: a batch of many cases does not wait for each.
    const Clock::duration wait = lock_refused_ ? Clock::duration::zero() : Clock::duration(lock_wait_);
    const Clock::time_point deadline = Clock::now() + wait;
    std::chrono::milliseconds pause(1);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) break;
        if (errno == EINTR) continue;
        // A file system without locks: write unlocked, as the lock is only
        // there to keep out other programs' cut-backs.
        if (errno != EWOULDBLOCK) break;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            lock_refused_ = true;
            throw CalcError(ErrorKind::FileError,
                            "Cannot write the report file " + path_ +
                                ": another program holds it (locked for more than " +
                                Duration_Text(lock_wait_) + "); nothing was written");
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    lock_refused_ = false;
}

// Under the lock: when the path no longer names the file we hold (removed,
// or replaced by another file) or the file was emptied, appending on would
// put lines where nobody finds them, or lines without their header.  The
// file at the path is then opened (created) and locked instead; true tells
// the caller that it starts without our header.  Should it fail, the old file
// stays open, so a later append tries again.
bool ReportFile::reopen_when_gone()
{
    struct stat held {}, named {};
    if (::fstat(fd_, &held) != 0) return false;
    const bool replaced = ::stat(path_.c_str(), &named) != 0 || named.st_dev != held.st_dev ||
                          named.st_ino != held.st_ino;
    if (!replaced) {
        if (!regular_ || held.st_size >= end_) return false;
        end_ = held.st_size;
        return true;
    }
    bool regular = false;
    int fd = -1;
    try {
        fd = Open_For_Appending(path_, regular);
    } catch (const CalcError& e) {
        throw CalcError(ErrorKind::FileError,
                        std::string(e.what()) + " (the report was removed or replaced while " +
                            "it was open; nothing was written)");
    }
    ::close(fd_);  // lets go of the old file's lock
    fd_ = fd;
    regular_ = regular;
    end_ = -1;
    lock();
    return true;
}

// Under the lock, so no living writer is in the middle of a line.  Only when
// the file has changed since our last write, and only a start of a report
// line that follows a whole report line is cut: anything else at the end is
// another program's text and stays as it is.
void ReportFile::cut_dead_writers_line()
{
    struct stat st {};
    if (!regular_ || ::fstat(fd_, &st) != 0 || st.st_size == end_ || st.st_size == 0) return;
    char buf[1024];
    const off_t from = std::max<off_t>(0, st.st_size - static_cast<off_t>(sizeof buf));
    const ssize_t n = ::pread(fd_, buf, static_cast<std::size_t>(st.st_size - from), from);
    end_ = st.st_size;
    if (n != st.st_size - from) return;  // not readable: leave it
    const std::string_view tail(buf, static_cast<std::size_t>(n));
    const std::size_t last_end = tail.rfind("\r\n");
    if (last_end == std::string_view::npos || last_end + 2 == tail.size()) return;
    std::string_view part = tail.substr(last_end + 2);
    const std::size_t line_start = tail.rfind("\r\n", last_end == 0 ? 0 : last_end - 1);
    if (line_start == std::string_view::npos && from > 0) return;  // a line longer than ours
    const std::size_t start = line_start == std::string_view::npos ? 0 : line_start + 2;
    const std::string_view before = tail.substr(start, last_end - start);
    if (!Is_Report_Line(before)) return;
    const std::size_t cut = part.size();
    if (part.back() == '\r') part.remove_suffix(1);  // cut between CR and LF
    if (!part.empty() && !Starts_A_Report_Line(part)) return;
    if (::ftruncate(fd_, st.st_size - static_cast<off_t>(cut)) == 0) end_ = st.st_size - static_cast<off_t>(cut);
}

void ReportFile::Append_Unit(std::string_view text)
{
    const std::size_t end = text.size();
    Append_Units(text, std::span<const std::size_t>(&end, 1));
}

void ReportFile::Append_Units(std::string_view text, std::span<const std::size_t> ends)
{
    if (fd_ < 0) file_error("Cannot write the report file", path_, EBADF);
    if (ends.empty()) return;
    lock();
    struct Unlock {
        const int& fd;
        ~Unlock()
        {
            if (fd >= 0) ::flock(fd, LOCK_UN);
        }
    } unlock{fd_};
    const bool restart = reopen_when_gone();
    cut_dead_writers_line();
    if (restart && !header_.empty() && !Is_Header(text.substr(0, ends[0]))) write_unit(header_);
    std::size_t begin = 0;
    for (const std::size_t end : ends) {
        const std::string_view unit = text.substr(begin, end - begin);
        write_unit(unit);
        if (Is_Header(unit)) header_.assign(unit);
        begin = end;
    }
}

void ReportFile::write_unit(std::string_view text)
{
    // One write(2) for the whole unit; should the system take only part of
    // it (a full disk, a file size limit), the file is cut back to where it
    // was, so it never ends in half a line.  A file that has grown past our
    // own text meanwhile (a writer that does not lock) is left alone.
    const off_t before = regular_ ? ::lseek(fd_, 0, SEEK_END) : 0;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            struct stat st {};
            if (done > 0 && regular_ && before >= 0 && ::fstat(fd_, &st) == 0 &&
                st.st_size == before + static_cast<off_t>(done))
                (void)::ftruncate(fd_, before);
            file_error("Cannot write the report file", path_, err);
        }
        done += static_cast<std::size_t>(n);
    }
    if (regular_ && before >= 0) end_ = before + static_cast<off_t>(done);
}

}  // namespace aqvis
