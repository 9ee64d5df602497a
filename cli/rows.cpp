#include "cli/rows.h"

#include <charconv>
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
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, Plus_Zero(v), std::chars_format::general,
                                 precision);
    out.append(buf, r.ptr);
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

// Text gathered in a fixed buffer and appended to `out` when the buffer is
// full and at Flush.
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
    // The values of a computed case are finite: a case whose arithmetic
    // over- or underflowed, or gave no number, has failed.
    void Number17(double v)
    {
        if (room() < kNumber17Room) Flush();
        p_ = Write_Number17(p_, v);
    }
    // A JSON string; text that needs no escape is copied as it is.
    void Json_String(std::string_view s)
    {
        for (const char ch : s) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
                Flush();
                Append_Json_String(out_, s);
                return;
            }
        }
        if (s.size() + 2 > room()) {
            Flush();
            if (s.size() + 2 > sizeof buf_) {
                Append_Json_String(out_, s);
                return;
            }
        }
        *p_++ = '"';
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
        *p_++ = '"';
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

Columns Default_Columns(bool water)
{
    Columns c;
    if (water) {
        for (const Member& m : Water_Members()) c.push_back(&m);
        return c;
    }
    for (const char* name : {"TC", "Pbar", "dH2O", "lnkH", "K", "GTaqua", "S2", "V2", "Cp2"})
        c.push_back(Find_Member(name));
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
std::vector<std::string> json_keys(std::span<const Member> members, bool first_bare)
{
    std::vector<std::string> k;
    for (const Member& m : members)
        k.push_back((k.empty() && first_bare ? "\"" : ",\"") + std::string(m.name) + "\":");
    return k;
}

void json_members(LineBuffer& line, const CaseResult& r, const RowOptions& o)
{
    static const std::vector<std::string> case_keys = json_keys(Output_Members(), false);
    static const std::vector<std::string> water_keys = json_keys(Water_Members(), true);
    const std::vector<std::string>& keys = o.water ? water_keys : case_keys;
    std::size_t i = 0;
    if (o.water || o.units.energy != EnergyUnit::Cal) {
        for (const Member& m : o.water ? Water_Members() : Output_Members()) {
            line.Put(keys[i++]);
            const double v = Member_Output(m, value(m, r), o.units.energy);
            if (std::isfinite(v))
                line.Number17(Plus_Zero(v));
            else
                line.Put("null");  // Psat of water above its critical temperature
        }
        return;
    }
    for (const Member& m : Output_Members()) {
        line.Put(keys[i++]);
        line.Number17(Plus_Zero(value(m, r)));
    }
}

void json_captions(LineBuffer& line, const CaseResult& r)
{
    static const std::vector<std::string> caption_keys = [] {
        std::vector<std::string> k;
        for (const auto& item : PanelCaptions{}.items()) k.push_back('"' + std::string(item.first) + "\":");
        return k;
    }();
    line.Put(",\"captions\":{");
    const PanelCaptions captions = Result_Captions(r.values, r.derived, ".");
    std::size_t i = 0;
    for (const auto& item : captions.items()) {
        line.Put(caption_keys[i++]);
        line.Json_String(*item.second);
        line.Put(",");
    }
    line.Put("\"txtTemp\":");
    line.Json_String(Input_Box_Text(r.values.TC));
    line.Put(",\"txtPress\":");
    line.Json_String(Input_Box_Text(r.pressure_used.value_or(r.values.Pbar)));
    line.Put("}");
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
        line.Put("\"Formula\":");
        line.Json_String(r.values.Formula);
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
    if (!o.water) out += formula;
    bool first = o.water;
    if (r.ok) {
        LineBuffer line(out);
        if (o.water || o.units.energy != EnergyUnit::Cal) {
            for (const Member* m : columns) {
                if (!first) line.Put(",");
                first = false;
                const double v = Member_Output(*m, value(*m, r), o.units.energy);
                if (std::isfinite(v)) line.Number17(Plus_Zero(v));  // no Psat above the critical point
            }
        } else {
            for (const Member* m : columns) {  // the values of a computed case are finite
                line.Put(",");
                line.Number17(Plus_Zero(value(*m, r)));
            }
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
