#include "results/report.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
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
    const std::size_t start = out.size();
    for (int k = 0; k < 12; ++k) {
        if (k > 0) {
            // On to the next zone start after the last character written; a
            // field that filled its zone to the end is followed directly.
            const std::size_t used = out.size() - start;
            const std::size_t next = (used + kZoneWidth - 1) / kZoneWidth * kZoneWidth;
            out.append(next - used, ' ');
        }
        out += Format_Number(fields[k].first, fields[k].second, decimal_sep);
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

ReportFile::ReportFile(std::string path) : path_(std::move(path)) {}

ReportFile::~ReportFile() { Close_Report(); }

void ReportFile::Open()
{
    Close_Report();
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) file_error("Cannot open the report file", path_, errno);
    fd_ = fd;
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

namespace {

// Holds the exclusive lock on the report for as long as it lives.  Other
// programs appending to the same report take the same lock for their lines,
// so a cut-back can never remove one of theirs.
class ReportLock {
public:
    explicit ReportLock(int fd) : fd_(fd)
    {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~ReportLock() { ::flock(fd_, LOCK_UN); }
    ReportLock(const ReportLock&) = delete;
    ReportLock& operator=(const ReportLock&) = delete;

private:
    int fd_;
};

}  // namespace

void ReportFile::Append_Unit(std::string_view text)
{
    const std::size_t end = text.size();
    Append_Units(text, std::span<const std::size_t>(&end, 1));
}

void ReportFile::Append_Units(std::string_view text, std::span<const std::size_t> ends)
{
    if (fd_ < 0) file_error("Cannot write the report file", path_, EBADF);
    if (ends.empty()) return;
    ReportLock lock(fd_);
    std::size_t begin = 0;
    for (const std::size_t end : ends) {
        write_unit(text.substr(begin, end - begin));
        begin = end;
    }
}

void ReportFile::write_unit(std::string_view text)
{
    // One write(2) for the whole unit; should the system take only part of
    // it (a full disk, a file size limit), the file is cut back to where it
    // was, so it never ends in half a line.  A file that has grown past our
    // own text meanwhile (a writer that does not lock) is left alone.
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            struct stat st {};
            if (done > 0 && before >= 0 && ::fstat(fd_, &st) == 0 &&
                st.st_size == before + static_cast<off_t>(done))
                (void)::ftruncate(fd_, before);
            file_error("Cannot write the report file", path_, err);
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace aqvis
