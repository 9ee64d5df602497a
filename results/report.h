#pragma once
// The report file "AQVIS.OUT": a four-line header per accepted parameter set,
// then one data line of twelve fields in 14-character print zones per
// calculation.  Lines end in CR LF.  Each line is formatted whole first and
// written with one write, so no partial line is ever left behind.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "driver/calculation.h"
#include "driver/derived.h"
#include "solute/catalogue.h"

namespace aqvis {

inline constexpr const char* kReportFileName = "AQVIS.OUT";

// The four header lines (date line, component line, column titles, units),
// each ended by CR LF.  `date` is "mm-dd-yyyy", `time` "hh:mm:ss".
std::string Header_Lines(const CatalogueEntry& s, std::string_view date, std::string_view time,
                         std::string_view decimal_sep = ".");

// The same header with the local date and time read once, now.
std::string Header_Lines_Now(const CatalogueEntry& s, std::string_view decimal_sep = ".");

// One data line of a finished calculation and its derived values, ended by
// CR LF.
std::string Result_Line(const CalcValues& s, const DerivedValues& d,
                        std::string_view decimal_sep = ".");
// The same line, appended to `out`.
void Append_Result_Line_Text(std::string& out, const CalcValues& s, const DerivedValues& d,
                             std::string_view decimal_sep = ".");

// The shapes of the lines above, for telling the report's own text from
// anything else in the file.  A whole line without its CR LF:
bool Is_Report_Line(std::string_view line);
// The first characters of such a line (what a writer killed in the middle of
// a line leaves behind).
bool Starts_A_Report_Line(std::string_view text);
// A unit that begins with a header (from Header_Lines).
bool Is_Header(std::string_view unit);

// Every program that appends to a report goes through this class: each unit
// (a header or a data line) is written by one write(2) under an exclusive
// lock on the file, and a write cut short is cut back, so the file only ever
// holds whole CR LF lines of whole units.
//
// The report is a regular file (or a character device such as /dev/null,
// written without blocking); anything that could block the program, such as a
// named pipe, is refused when it is opened.  Another program's lock is waited
// for at most lock_wait(), then the append fails (and later appends fail at
// once while the lock stays taken).  A report that was removed,
// replaced or emptied while it was held open is noticed at the next append:
// the file at the path is opened (created) again and gets the last header
// before the new lines, so no line goes into a file nobody can read.
//
// A program killed in the middle of a write can leave the start of a line:
// the system copies a write into the file page by page and may stop at a
// page boundary for a kill.  Before it appends, a writer cuts off such a
// start of a report line after a whole line of the report, so that the
// file holds whole lines again.

class ReportFile {
public:
    static constexpr std::chrono::milliseconds kDefaultLockWait{5000};

    explicit ReportFile(std::string path = kReportFileName);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens the file for appending, creating it when missing.  An open file
    // is closed first.  Throws CalcError(FileError) naming the path and the
    // reason; the file is then left closed.
    void Open();
    // Opens the file and writes the header with the current date and time
    // (read once).  On a failure the file is left closed.
    void Open_Report(const CatalogueEntry& s, std::string_view decimal_sep = ".");
    // Formats and appends one data line.  Throws CalcError(FileError) when
    // the write fails or no file is open; nothing partial is left.
    void Append_Result_Line(const CalcValues& s, const DerivedValues& d,
                            std::string_view decimal_sep = ".");
    // Appends one unit of whole CR LF lines: a header from Header_Lines or
    // data lines.
    void Append_Unit(std::string_view text);
    // Appends the units text[0, ends[0]), text[ends[0], ends[1]), ... each by
    // one write, under one hold of the lock.  The first failure throws; the
    // units before it stay written.
    void Append_Units(std::string_view text, std::span<const std::size_t> ends);
    // Closes the file; harmless when it is not open.
    void Close_Report();

    bool is_open() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    std::chrono::milliseconds lock_wait() const { return lock_wait_; }
    void set_lock_wait(std::chrono::milliseconds wait) { lock_wait_ = wait; }

private:
    void lock();
    bool reopen_when_gone();
    void cut_dead_writers_line();
    void write_unit(std::string_view text);
    std::string path_;
    int fd_ = -1;
    bool regular_ = false;     // a regular file, not a device
    off_t end_ = -1;           // the file's size after our last write, -1 before it
    std::string header_;       // the last header written to it
    std::chrono::milliseconds lock_wait_ = kDefaultLockWait;
    bool lock_refused_ = false;  // the last wait for the lock ran out
};

}  // namespace aqvis
