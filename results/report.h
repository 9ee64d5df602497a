#pragma once
// The report file "AQVIS.OUT": a four-line header per accepted parameter set,
// then one data line of twelve fields in 14-character print zones per
// calculation.  Lines end in CR LF.  Each line is formatted whole first and
// written with one write, so no partial line is ever left behind.

#include <string>
#include <string_view>

#include "core/calc_state.h"

namespace aqvis {

inline constexpr const char* kReportFileName = "AQVIS.OUT";

// The four header lines (date line, component line, column titles, units),
// each ended by CR LF.  `date` is "mm-dd-yyyy", `time` "hh:mm:ss".
std::string Header_Lines(const CalcState& s, std::string_view date, std::string_view time,
                         std::string_view decimal_sep = ".");

// The same header with the local date and time read once, now.
std::string Header_Lines_Now(const CalcState& s, std::string_view decimal_sep = ".");

// One data line ended by CR LF.  Throws CalcError(ErrorKind::Overflow) when K
// cannot be computed.
std::string Result_Line(const CalcState& s, std::string_view decimal_sep = ".");

class ReportFile {
public:
    explicit ReportFile(std::string path = kReportFileName);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens the file for appending (creating it when missing) and writes the
    // header with the current date and time (read once).  An open file is
    // closed first.  Throws CalcError(FileError) naming the path and the
    // reason; the file is then left closed.
    void Open_Report(const CalcState& s, std::string_view decimal_sep = ".");
    // Formats and appends one data line.  Throws CalcError(Overflow) for K, or
    // CalcError(FileError) when the write fails or no file is open; nothing
    // partial is left (a write cut short is undone).
    void Append_Result_Line(const CalcState& s, std::string_view decimal_sep = ".");
    // Closes the file; harmless when it is not open.
    void Close_Report();

    bool is_open() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    void write_all(const std::string& text);
    std::string path_;
    int fd_ = -1;
};

}  // namespace aqvis
