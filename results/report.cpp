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
#include "results/captions.h"
#include "results/number_format.h"
#include "solute/aqueous.h"

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

std::string Result_Line(const CalcState& s, std::string_view decimal_sep)
{
    const double K = Distribution_Constant(s);
    const std::pair<double, const char*> fields[12] = {
        {s.TC, "  ###0.00  "},
        {s.Pbar, "  ####0.0    "},
        {s.dH2O, "   #0.0000   "},
        {s.lnkH, "   ###0.000   "},
        {K, " 0.000E+00 "},
        {s.V2, " #####0.000   "},
        {s.GTaqua, "  ########0.0  "},
        {s.S2, "  #####0.000  "},
        {s.Cp2, "  ######0.000  "},
        {Joule_Value(s.GTaqua), "  ########0.0  "},
        {Joule_Value(s.S2), "  ######0.000  "},
        {Joule_Value(s.Cp2), "  ######0.000"},
    };
    std::string line;
    line.reserve(180);
    for (int k = 0; k < 12; ++k) {
        if (k > 0) {
            // On to the next zone start after the last character written; a
            // field that filled its zone to the end is followed directly.
            const std::size_t next = (line.size() + kZoneWidth - 1) / kZoneWidth * kZoneWidth;
            line.append(next - line.size(), ' ');
        }
        line += Format_Number(fields[k].first, fields[k].second, decimal_sep);
    }
    line += kCrLf;
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

void ReportFile::Open_Report(const CalcState& s, std::string_view decimal_sep)
{
    Close_Report();
    // The clock is read once, before anything is written.
    const std::string header = Header_Lines_Now(s, decimal_sep);

    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) file_error("Cannot open the report file", path_, errno);
    fd_ = fd;
    try {
        write_all(header);
    } catch (...) {
        Close_Report();
        throw;
    }
}

void ReportFile::Append_Result_Line(const CalcState& s, std::string_view decimal_sep)
{
    if (fd_ < 0) file_error("Cannot write the report file", path_, EBADF);
    write_all(Result_Line(s, decimal_sep));
}

void ReportFile::Close_Report()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void ReportFile::write_all(const std::string& text)
{
    // Other programs appending to the same report take the same lock for
    // their lines, so a cut-back below can never remove one of theirs.
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct Unlock {
        int fd;
        ~Unlock() { ::flock(fd, LOCK_UN); }
    } unlock{fd_};

    // One write(2) for the whole text; should the system take only part of
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
