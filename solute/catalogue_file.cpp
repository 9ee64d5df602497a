#include "solute/catalogue_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/errors.h"
#include "solute/csv_text.h"

namespace aqvis {

namespace {

const std::vector<std::string_view> kTitles = {"Formula", "Xi",   "a",      "b",        "G0gas",
                                               "S0gas",   "agas", "bgasE3", "cgasEmin5"};
const std::vector<std::string_view> kGasTitles = {"Formula", "Xi",     "a",         "b",  "G0gas",
                                                  "S0gas",   "agas",   "bgasE3",    "cgasEmin5",
                                                  "Tc",      "Pc",     "omega",     "kij"};

// The number fields of a record, in column order after Formula.
constexpr double CatalogueEntry::*kNumbers[] = {&CatalogueEntry::Xi,    &CatalogueEntry::Coef1,
                                             &CatalogueEntry::Coef2, &CatalogueEntry::G0gas,
                                             &CatalogueEntry::S0gas, &CatalogueEntry::agas,
                                             &CatalogueEntry::bgasE3, &CatalogueEntry::cgasEmin5};

[[noreturn]] void refuse(long line, const std::string& reason)
{
    throw CalcError(ErrorKind::FileError, "line " + std::to_string(line) + ": " + reason);
}

std::string quoted(std::string_view s)
{
    std::string q;
    q.reserve(s.size() + 2);
    q.append(1, '"').append(s).append(1, '"');
    return q;
}

// The optional gas-phase columns Tc, Pc, omega and kij (fields 9 to 12).
void parse_gas_columns(const CsvLine& l, CatalogueEntry& e)
{
    double v[4] = {};
    bool given[4] = {};
    for (std::size_t c = 0; c < 4; ++c) {
        const std::string_view f = l.fields[9 + c];
        if (f.empty()) continue;
        if (!Read_Csv_Number(f, v[c]))
            refuse(l.number, std::string(kGasTitles[9 + c]) + " is not a finite number: " + quoted(f));
        given[c] = true;
    }
    if (given[0] || given[1] || given[2]) {
        if (!(given[0] && given[1] && given[2])) refuse(l.number, "Tc, Pc and omega go together");
        if (!(v[0] > 0.0 && v[1] > 0.0)) refuse(l.number, "Tc and Pc must be above zero");
        e.critical = CriticalConstants{v[0], v[1], v[2]};
    }
    if (given[3]) e.kij = v[3];
}

// True for the text's longer title line; refuses one that is neither.
bool read_title(const CsvLine& line)
{
    if (line.fields.size() == kGasTitles.size() && Title_Mismatch(line.fields, kGasTitles).empty()) return true;
    const std::string title = Title_Mismatch(line.fields, kTitles);
    if (!title.empty())
        refuse(line.number, "the title line must be " + std::string(kCatalogueTitle) + ": " + title);
    return false;
}

// Parses the records; `lines` are the text's CSV lines, title first.
std::vector<CatalogueEntry> parse(const std::vector<CsvLine>& lines)
{
    if (lines.empty())
        refuse(1, "no title line; a catalogue file starts with " + std::string(kCatalogueTitle));
    const bool gas = read_title(lines.front());
    const std::vector<std::string_view>& titles = gas ? kGasTitles : kTitles;

    std::vector<CatalogueEntry> entries;
    std::vector<long> first_line;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const CsvLine& l = lines[i];
        if (l.fields.size() != titles.size())
            refuse(l.number, std::to_string(l.fields.size()) + " fields where " +
                                 std::to_string(titles.size()) + " are expected (" +
                                 (l.fields.size() < titles.size() ? "missing column '" +
                                                                        std::string(titles[l.fields.size()]) + "'"
                                                                  : std::string("too many columns")) +
                                 ")");
        CatalogueEntry e;
        e.Formula = std::string(l.fields[0]);
        if (e.Formula.empty()) refuse(l.number, "empty formula");
        for (const char c : e.Formula)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                refuse(l.number, "the formula holds a control character");
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (entries[k].Formula == e.Formula)
                refuse(l.number, "formula " + e.Formula + " given twice (first on line " +
                                     std::to_string(first_line[k]) + ")");
        for (std::size_t c = 1; c < kTitles.size(); ++c)
            if (!Read_Csv_Number(l.fields[c], e.*kNumbers[c - 1]))
                refuse(l.number, std::string(kTitles[c]) + " is not a finite number: " + quoted(l.fields[c]));
        if (gas) parse_gas_columns(l, e);
        entries.push_back(std::move(e));
        first_line.push_back(l.number);
    }
    return entries;
}

void write_all(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw errno ? errno : EIO;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

std::vector<CatalogueEntry> Read_Catalogue_Text(std::string_view text) { return parse(Csv_Lines(text)); }

std::vector<CatalogueEntry> Read_Catalogue_File(const std::string& path)
{
    const std::string text = Read_Text_File(path);
    try {
        return Read_Catalogue_Text(text);
    } catch (const CalcError& e) {
        throw CalcError(e.kind(), path + " " + e.what());
    }
}

Catalogue Load_Catalogue(const std::string& path)
{
    Catalogue c;
    for (CatalogueEntry& e : Read_Catalogue_File(path)) {
        // Critical constants belong to the substance, not to the model's
        // parameters: a built-in solute given anew keeps them.
        if (const CatalogueEntry* old = c.Find(e.Formula); old && old->built_in) {
            if (!e.critical) e.critical = old->critical;
            if (!e.kij) e.kij = old->kij;
        }
        c.Put(std::move(e));
    }
    return c;
}

std::string Catalogue_Line(const CatalogueEntry& e, bool gas_columns)
{
    std::string line = e.Formula;
    for (const auto member : kNumbers) line.append(1, ',').append(Csv_Number(e.*member));
    if (gas_columns) {
        const auto field = [&line](const std::optional<double>& v) {
            line.append(1, ',');
            if (v) line.append(Csv_Number(*v));
        };
        field(e.critical ? std::optional(e.critical->Tc) : std::nullopt);
        field(e.critical ? std::optional(e.critical->Pc) : std::nullopt);
        field(e.critical ? std::optional(e.critical->omega) : std::nullopt);
        field(e.kij);
    }
    return line;
}

std::string Catalogue_Csv(std::span<const CatalogueEntry> entries)
{
    std::string out(kCatalogueTitle);
    out += '\n';
    for (const CatalogueEntry& e : entries) out += Catalogue_Line(e) + '\n';
    return out;
}

std::string Catalogue_Text_With(std::string_view text, const CatalogueEntry& e)
{
    const std::vector<CsvLine> lines = Csv_Lines(text);
    const bool gas = !lines.empty() && lines.front().fields.size() == kGasTitles.size();
    const std::string record = Catalogue_Line(e, gas);
    const std::string_view eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::string out(text);
    const auto append = [&](std::string add) {
        if (!out.empty() && !out.ends_with('\n')) out += eol;
        return out + add;
    };
    if (lines.empty()) return append(std::string(kCatalogueTitle) + std::string(eol) + record + std::string(eol));

    parse(lines);  // a text that is no catalogue is not updated
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].fields[0] != e.Formula) continue;
        // Replace the content of that line, keeping its line end.
        std::size_t begin = 0;
        for (long n = 1; n < lines[i].number; ++n) begin = out.find('\n', begin) + 1;
        std::size_t end = out.find('\n', begin);
        if (end == std::string::npos) end = out.size();
        if (end > begin && out[end - 1] == '\r') --end;
        return out.replace(begin, end - begin, record);
    }
    return append(record + std::string(eol));
}

void Save_Catalogue_Entry(const std::string& path, const CatalogueEntry& e)
{
    const auto fail = [&path](const std::string& what, int err, const char* why = nullptr) {
        throw CalcError(ErrorKind::FileError, "cannot " + what + " " + path + ": " + (why ? why : std::strerror(err)));
    };
    // Through a symbolic link, the file it points to is replaced.
    std::string target = path;
    struct stat st{};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        // A named pipe or a device is no place for a catalogue, and renaming
        // over it would put a plain file in its stead.
        if (!S_ISREG(st.st_mode)) fail("write", EINVAL, "it is not a regular file");
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) target = resolved;
    } else if (errno != ENOENT) {
        fail("read", errno);
    }

    std::string old_text;
    if (exists) old_text = Read_Text_File(target);
    std::string text;
    try {
        text = Catalogue_Text_With(old_text, e);
    } catch (const CalcError& x) {
        throw CalcError(x.kind(), path + " " + x.what() + "; the file was left as it is");
    }

    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) fail("write a temporary file beside", errno);
    }
    if (fd < 0) fail("write a temporary file beside", EEXIST);
    try {
        write_all(fd, text);
        if (exists && ::fchmod(fd, st.st_mode & 07777) != 0) throw errno;
        if (::fsync(fd) != 0) throw errno;
        const int closed = ::close(fd);
        fd = -1;
        if (closed != 0) throw errno;
        if (::rename(temp.c_str(), target.c_str()) != 0) throw errno;
    } catch (int err) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        fail("write", err);
    }
}

}  // namespace aqvis
