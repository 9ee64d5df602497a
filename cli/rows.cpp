#include "cli/rows.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "io/text.h"
#include "results/captions.h"
#include "results/failure_text.h"
#include "results/json_writer.h"
#include "results/model_range.h"
#include "results/number_format.h"
#include "results/number_text.h"

namespace aqvis::cli {

void End_Json_Failure(JsonWriter& w, const std::string& message, ErrorKind kind)
{
    w.Key("error").String(message);
    w.Key("kind").String(Error_Kind_Id(kind));
    w.End_Object();
}

namespace {

void optional_number(JsonWriter& w, const std::optional<double>& v)
{
    if (v)
        w.Number(*v);
    else
        w.Null();
}

void append_general(std::string& out, double v, int precision)
{
    Append_General(out, Plus_Zero(v), precision);
}

void append_padded(std::string& out, std::string_view text, std::size_t width, bool left)
{
    if (!left && text.size() < width) out.append(width - text.size(), ' ');
    out += text;
    if (left && text.size() < width) out.append(width - text.size(), ' ');
}

constexpr std::size_t kFormulaWidth = 8, kTableWidth = 14;

// What a failed case still shows in a column: its inputs.
std::optional<double> failed_value(const Member& m, const CaseResult& r)
{
    if (m.input == MemberInput::Temperature) return r.TC;
    if (m.input == MemberInput::Pressure) return r.Pbar;
    if (Is_Input_Member(m)) return Member_Value(m, r.values, r.derived);
    return std::nullopt;
}

double value(const Member& m, const CaseResult& r) { return Member_Value(m, r.values, r.derived); }

// A name as it is put in front of a value (",\"lnkH\":"), held padded so
// that it is copied in one fixed-size move.
struct Key {
    char text[32] = {};
    std::size_t size = 0;
    std::string long_text;  // in place of `text` when longer
    explicit Key(const std::string& k) : size(k.size())
    {
        if (size <= sizeof text)
            k.copy(text, sizeof text);
        else
            long_text = k;
    }
};

std::vector<Key> keys(const std::vector<std::string>& texts)
{
    return std::vector<Key>(texts.begin(), texts.end());
}

// Text gathered in a fixed buffer and appended to `out` when the buffer is
// full and at Flush.  Numbers and keys are written straight into the buffer.
class LineBuffer {
public:
    explicit LineBuffer(std::string& out) : out_(out) {}
    void Put(std::string_view s)
    {
        if (s.size() > room()) {
            Flush();
            if (s.size() > sizeof buf_) {
                out_ += s;
                return;
            }
        }
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
    }
    // A literal of the program's own: copied in one move of its fixed size.
    template <std::size_t N>
    void Put(const char (&text)[N])
    {
        if (room() < N) Flush();
        std::memcpy(p_, text, N - 1);
        p_ += N - 1;
    }
    void Put(const Key& k)
    {
        if (!k.long_text.empty()) return Put(k.long_text);
        if (room() < sizeof k.text) Flush();
        std::memcpy(p_, k.text, sizeof k.text);
        p_ += k.size;
    }
    // The values of a computed case are finite: a case whose arithmetic
    // over- or underflowed, or gave no number, has failed.
    void Number17(double v)
    {
        if (room() < kNumber17Room) Flush();
        p_ = Write_Number17(p_, v);
    }
    // A separator and a number.
    void Number17_After(char separator, double v)
    {
        if (room() < 1 + kNumber17Room) Flush();
        *p_ = separator;
        p_ = Write_Number17(p_ + 1, v);
    }
    // A key and its number.
    void Member(const Key& k, double v)
    {
        if (room() < sizeof k.text + kNumber17Room) Flush();
        if (!k.long_text.empty()) {
            Put(k.long_text);
            return Number17(v);
        }
        std::memcpy(p_, k.text, sizeof k.text);
        p_ = Write_Number17(p_ + k.size, v);
    }
    // `v` with `pattern` and the decimal point.
    void Number(double v, const NumberPattern& pattern)
    {
        if (room() < kNumberPatternRoom) Flush();
        if (char* end = Write_Number_Fast(p_, v, pattern)) {
            p_ = end;
        } else {
            Flush();
            Append_Number(out_, v, pattern);
        }
    }
    // The text of a JSON string without its quotes; text that needs no
    // escape is copied as it is.
    void Json_String_Body(std::string_view s)
    {
        for (const char ch : s) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
                Flush();
                Append_Json_String_Body(out_, s);
                return;
            }
        }
        Put(s);
    }
    void Json_String(std::string_view s)
    {
        Put("\"");
        Json_String_Body(s);
        Put("\"");
    }
    void Flush()
    {
        out_.append(buf_, static_cast<std::size_t>(p_ - buf_));
        p_ = buf_;
    }

private:
    std::size_t room() const { return static_cast<std::size_t>(buf_ + sizeof buf_ - p_); }
    std::string& out_;
    char buf_[2048];
    char* p_ = buf_;
};

}  // namespace

Columns Default_Columns(bool water, bool uncertainty)
{
    Columns c;
    if (water) {
        for (const Member& m : Water_Members()) c.push_back(&m);
        return c;
    }
    for (const char* name : {"TC", "Pbar", "dH2O", "lnkH", "K", "GTaqua", "S2", "V2", "Cp2"})
        c.push_back(Find_Member(name));
    if (uncertainty)
        for (const char* name : {"u_lnkH", "u_K", "u_GTaqua", "u_S2", "u_V2", "u_Cp2"})
            c.push_back(Find_Member(name, Uncertainty_Members()));
    return c;
}

std::string Row_Warning(const CaseResult& r, const Units& units)
{
    if (!r.TC || !r.Pbar || Quiet_Row(r, units)) return {};
    // The pressure used is only said of a case that went through.
    return State_Warning({*r.TC, *r.Pbar, r.ok ? r.pressure_used : std::nullopt, units}, FrontEnd::CommandLine);
}

std::string Explained_Error(const CaseResult& r)
{
    return Explained_Case_Error(r.kind, r.error, r.TC, r.Pbar, FrontEnd::CommandLine);
}

namespace {

// ",\"name\":" for each member of `members` (the first without the comma
// when `first_bare`), formed once per list.
std::vector<Key> json_keys(std::span<const Member> members, bool first_bare)
{
    std::vector<std::string> k;
    for (const Member& m : members)
        k.push_back((k.empty() && first_bare ? "\"" : ",\"") + std::string(m.name) + "\":");
    return keys(k);
}

void json_members(LineBuffer& line, const CaseResult& r, const RowOptions& o)
{
    static const std::vector<Key> case_keys = json_keys(Output_Members(true), false);
    static const std::vector<Key> water_keys = json_keys(Water_Members(), true);
    const std::vector<Key>& keys = o.water ? water_keys : case_keys;
    std::size_t i = 0;
    if (o.water || o.uncertainty || o.units.energy != EnergyUnit::Cal) {
        for (const Member& m : o.water ? Water_Members() : Output_Members(o.uncertainty)) {
            line.Put(keys[i++]);
            const double v = Member_Output(m, value(m, r), o.units.energy);
            if (std::isfinite(v))
                line.Number17(Plus_Zero(v));
            else
                line.Put("null");  // Psat above the critical temperature; an uncertainty not propagated
        }
        return;
    }
    for (const Member& m : Output_Members()) line.Member(keys[i++], Plus_Zero(value(m, r)));
}

// The panel's captions, each number written with its pattern straight into
// the line.
void json_captions(LineBuffer& line, const CaseResult& r)
{
    static const std::vector<Key> caption_keys = [] {
        std::vector<std::string> k;
        for (const CaptionField& f : Caption_Fields()) k.push_back('"' + std::string(f.control) + "\":\"");
        return keys(k);
    }();
    line.Put(",\"captions\":{");
    std::size_t i = 0;
    for (const CaptionField& f : Caption_Fields()) {
        line.Put(caption_keys[i++]);
        if (f.pattern)
            line.Number(f.value(r.values, r.derived), *f.pattern);
        else
            line.Json_String_Body(r.values.Formula);
        line.Put("\",");
    }
    line.Put("\"txtTemp\":\"");
    line.Number(r.values.TC, Input_Box_Pattern());
    line.Put("\",\"txtPress\":\"");
    line.Number(r.pressure_used.value_or(r.values.Pbar), Input_Box_Pattern());
    line.Put("\"}");
}

}  // namespace

void Append_Json_Line(std::string& out, const CaseResult& r, std::string_view solute, const RowOptions& o)
{
    const std::string warning = Row_Warning(r, o.units);
    if (!r.ok) {
        JsonWriter w(out);
        w.Begin_Object();
        if (!o.water) w.Key("Formula").String(solute);
        optional_number(w.Key("TC"), r.TC);
        optional_number(w.Key("Pbar"), r.Pbar);
        if (!warning.empty()) w.Key("warning").String(warning);
        End_Json_Failure(w, Explained_Error(r), r.kind);
        out += '\n';
        return;
    }
    // The line is put together in a buffer and appended in few pieces; keys
    // are formed once.
    LineBuffer line(out);
    line.Put("{");
    if (!o.water) {
        line.Put("\"Formula\":\"");
        line.Json_String_Body(r.values.Formula);
        line.Put("\"");
    }
    json_members(line, r, o);
    if (!warning.empty()) {
        line.Put(",\"warning\":");
        line.Json_String(warning);
    }
    if (!o.water) json_captions(line, r);
    line.Put("}\n");
    line.Flush();
}

void Append_Csv_Header(std::string& out, const Columns& columns, const RowOptions& o)
{
    if (!o.water) out += "Formula";
    for (const Member* m : columns) {
        if (m != columns.front() || !o.water) out += ',';
        out += m->name;
        out += " [";
        out += Member_Unit(*m, o.units.energy);
        out += ']';
    }
    out += ",warning,error\n";
}

void Append_Csv_Row(std::string& out, const CaseResult& r, std::string_view formula,
                    const Columns& columns, const RowOptions& o)
{
    bool first = o.water;
    if (r.ok) {
        LineBuffer line(out);
        if (!o.water) line.Put(formula);
        if (o.water || o.uncertainty || o.units.energy != EnergyUnit::Cal) {
            for (const Member* m : columns) {
                if (!first) line.Put(",");
                first = false;
                const double v = Member_Output(*m, value(*m, r), o.units.energy);
                if (std::isfinite(v)) line.Number17(Plus_Zero(v));  // no Psat above Tc, no u_ without a covariance
            }
        } else {
            for (const Member* m : columns)  // the values of a computed case are finite
                line.Number17_After(',', Plus_Zero(value(*m, r)));
        }
        if (Quiet_Row(r, o.units)) {
            line.Put(",,\n");  // the common row: no warning, no error
        } else {
            line.Put(",");
            line.Put(Row_Warning(r, o.units));
            line.Put(",\n");
        }
        line.Flush();
        return;
    }
    if (!o.water) out += formula;
    const std::string warning = Row_Warning(r, o.units);
    for (const Member* m : columns) {
        if (!first) out += ',';
        first = false;
        if (const std::optional<double> v = failed_value(*m, r))
            Append_Json_Number(out, Member_Output(*m, *v, o.units.energy));
    }
    out += ',';
    out += warning;
    out += ',';
    out += Error_Kind_Id(r.kind);
    out += '\n';
}

void Append_Table_Header(std::string& out, const Columns& columns, const RowOptions& o)
{
    if (!o.water) append_padded(out, "Formula", kFormulaWidth, true);
    for (const Member* m : columns) append_padded(out, m->name, kTableWidth, false);
    out += '\n';
    if (!o.water) append_padded(out, "", kFormulaWidth, true);
    for (const Member* m : columns) append_padded(out, Member_Unit(*m, o.units.energy), kTableWidth, false);
    out += '\n';
}

void Append_Table_Row(std::string& out, const CaseResult& r, std::string_view formula,
                      const Columns& columns, const RowOptions& o)
{
    if (!o.water) append_padded(out, formula, kFormulaWidth, true);
    std::string cell;
    for (const Member* m : columns) {
        cell.clear();
        if (r.ok) {
            const double v = Member_Output(*m, value(*m, r), o.units.energy);
            if (std::isfinite(v)) append_general(cell, v, 7);
        } else if (const std::optional<double> v = failed_value(*m, r)) {
            append_general(cell, Member_Output(*m, *v, o.units.energy), 7);
        } else {
            out += "  failed: ";
            out += Error_Kind_Id(r.kind);
            break;
        }
        append_padded(out, cell, kTableWidth, false);
    }
    out += '\n';
    const std::string warning = Row_Warning(r, o.units);
    if (!warning.empty()) out += "  warning: " + warning + '\n';
}

}  // namespace aqvis::cli
