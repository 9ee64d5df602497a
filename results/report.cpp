#include "results/report.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <utility>

#include "core/errors.h"
#include "results/number_format.h"

namespace aqvis {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kZoneWidth = 14;

constexpr const char* kTitleLine =
    "    T             P            dH2O       ln(kH, bar)     K(gas=>aq)     V"
    "              Gaq           S             Cp            Gaq             S"
    "             Cp ";
constexpr const char* kUnitLine =
    "    C            bar           g/cc                       mol/kg/bar   cc/mol"
    "         cal/mol     cal/mol/K      cal/mol/K       J/mol         J/mol/K"
    "        J/mol/K ";

[[noreturn]] void file_error(const std::string& what, const std::string& path, int err)
{
    throw CalcError(ErrorKind::FileError, what + " " + path + ": " + std::strerror(err));
}

// The number of characters in UTF-8 text: every byte that does not continue
// a character.  Print zones are counted in characters, so a separator of
// several bytes (U+066B in Arabic locales) does not push the fields right.
std::size_t Characters(std::string_view text)
{
    std::size_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

std::string Header_Lines(const CalcState& s, std::string_view date, std::string_view time,
                         std::string_view decimal_sep)
{
    std::string h;
    h.append(45, ' ');
    h.append("  Date ").append(date).append("  Time  ").append(time).append(kCrLf);
    h.append(" Aqueous component ").append(s.Formula);
    h.append("     Xi = ").append(Format_Number(s.Xi, "###.#### ", decimal_sep));
    h.append("     a = ").append(Format_Number(s.Coef1, "###.####", decimal_sep));
    h.append("     b = ").append(Format_Number(s.Coef2, "###.####", decimal_sep));
    h.append(kCrLf);
    h.append(kTitleLine).append(kCrLf);
    h.append(kUnitLine).append(kCrLf);
    return h;
}

void Append_Result_Line_Text(std::string& out, const CalcState& s, const DerivedValues& d,
                             std::string_view decimal_sep)
{
    const std::pair<double, const char*> fields[12] = {
        {s.TC, "  ###0.00  "},
        {s.Pbar, "  ####0.0    "},
        {s.dH2O, "   #0.0000   "},
        {s.lnkH, "   ###0.000   "},
        {d.K, " 0.000E+00 "},
        {s.V2, " #####0.000   "},
        {s.GTaqua, "  ########0.0  "},
        {s.S2, "  #####0.000  "},
        {s.Cp2, "  ######0.000  "},
        {d.GTaquaJ, "  ########0.0  "},
        {d.S2J, "  ######0.000  "},
        {d.Cp2J, "  ######0.000"},
    };
    std::size_t used = 0;  // characters of the line so far
    for (int k = 0; k < 12; ++k) {
        if (k > 0) {
            // On to the next zone start after the last character written; a
            // field that filled its zone to the end is followed directly.
            const std::size_t next = (used + kZoneWidth - 1) / kZoneWidth * kZoneWidth;
            out.append(next - used, ' ');
            used = next;
        }
        const std::string field = Format_Number(fields[k].first, fields[k].second, decimal_sep);
        out += field;
        used += Characters(field);
    }
    out += kCrLf;
}

std::string Result_Line(const CalcState& s, const DerivedValues& d, std::string_view decimal_sep)
{
    std::string line;
    line.reserve(180);
    Append_Result_Line_Text(line, s, d, decimal_sep);
    return line;
}

std::string Header_Lines_Now(const CalcState& s, std::string_view decimal_sep)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16], time[16];
    std::strftime(date, sizeof date, "%m-%d-%Y", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    return Header_Lines(s, date, time, decimal_sep);
}

namespace {

constexpr std::size_t kDateIndent = 45;

// True for a unit made by Header_Lines: it alone begins with the indented
// date line (a data line starts with its temperature in the first zone).
bool Is_Header(std::string_view unit)
{
    constexpr std::string_view date = "  Date ";
    return unit.size() > kDateIndent + date.size() &&
           unit.find_first_not_of(' ') == kDateIndent + 2 &&
           unit.substr(kDateIndent, date.size()) == date;
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
    int fd = ::open(path.c_str(),
                    O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
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
    struct stat st {};
    fd_ = fd;
    regular_ = regular;
    end_ = regular && ::fstat(fd, &st) == 0 ? st.st_size : 0;
    header_.clear();
}

void ReportFile::Open_Report(const CalcState& s, std::string_view decimal_sep)
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

void ReportFile::Append_Result_Line(const CalcState& s, const DerivedValues& d,
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
    const Clock::time_point deadline = Clock::now() + lock_wait_;
    std::chrono::milliseconds pause(1);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
        if (errno == EINTR) continue;
        // A file system without locks: write unlocked, as the lock is only
        // there to keep out other programs' cut-backs.
        if (errno != EWOULDBLOCK) return;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            throw CalcError(ErrorKind::FileError,
                            "Cannot write the report file " + path_ +
                                ": another program holds it (locked for more than " +
                                Duration_Text(lock_wait_) + "); nothing was written");
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
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
    end_ = 0;
    lock();
    return true;
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
    if (reopen_when_gone() && !header_.empty() && !Is_Header(text.substr(0, ends[0])))
        write_unit(header_);
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
