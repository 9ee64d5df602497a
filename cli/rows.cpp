#include "cli/rows.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "io/text.h"
#include "results/captions.h"
#include "results/json_writer.h"
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

Columns Default_Columns()
{
    Columns c;
    for (const char* name : {"TC", "Pbar", "dH2O", "lnkH", "K", "GTaqua", "S2", "V2", "Cp2"})
        c.push_back(Find_Member(name));
    return c;
}

void Append_Json_Line(std::string& out, const CaseResult& r, std::string_view solute)
{
    JsonWriter w(out);
    w.Begin_Object().Key("Formula").String(r.ok ? std::string_view(r.values.Formula) : solute);
    if (!r.ok) {
        optional_number(w.Key("TC"), r.TC);
        optional_number(w.Key("Pbar"), r.Pbar);
        End_Json_Failure(w, r.error, r.kind);
        out += '\n';
        return;
    }
    // The rest of the line is put together in a buffer and appended in few
    // pieces; keys are formed once.
    static const std::vector<std::string> member_keys = [] {
        std::vector<std::string> k;
        for (const Member& m : Output_Members()) k.push_back(std::string(",\"") + m.name + "\":");
        return k;
    }();
    static const std::vector<std::string> caption_keys = [] {
        std::vector<std::string> k;
        for (const auto& item : PanelCaptions{}.items()) k.push_back('"' + std::string(item.first) + "\":");
        return k;
    }();
    LineBuffer line(out);
    std::size_t i = 0;
    for (const Member& m : Output_Members()) {
        line.Put(member_keys[i++]);
        line.Number17(Plus_Zero(value(m, r)));
    }
    line.Put(",\"captions\":{");
    const PanelCaptions captions = Result_Captions(r.values, r.derived, ".");
    i = 0;
    for (const auto& item : captions.items()) {
        line.Put(caption_keys[i++]);
        line.Json_String(*item.second);
        line.Put(",");
    }
    line.Put("\"txtTemp\":");
    line.Json_String(Input_Box_Text(r.values.TC));
    line.Put(",\"txtPress\":");
    line.Json_String(Input_Box_Text(r.pressure_used.value_or(r.values.Pbar)));
    line.Put("}}\n");
    line.Flush();
}

void Append_Csv_Header(std::string& out, const Columns& columns)
{
    out += "Formula";
    for (const Member* m : columns) {
        out += ',';
        out += m->name;
        out += " [";
        out += m->unit;
        out += ']';
    }
    out += ",error\n";
}

void Append_Csv_Row(std::string& out, const CaseResult& r, std::string_view formula,
                    const Columns& columns)
{
    out += formula;
    if (r.ok) {
        LineBuffer line(out);
        for (const Member* m : columns) {
            line.Put(",");
            line.Number17(Plus_Zero(value(*m, r)));
        }
        line.Put(",\n");
        line.Flush();
        return;
    }
    for (const Member* m : columns) {
        out += ',';
        if (const std::optional<double> v = failed_value(*m, r)) Append_Json_Number(out, *v);
    }
    out += ',';
    out += Error_Kind_Id(r.kind);
    out += '\n';
}

void Append_Table_Header(std::string& out, const Columns& columns)
{
    append_padded(out, "Formula", kFormulaWidth, true);
    for (const Member* m : columns) append_padded(out, m->name, kTableWidth, false);
    out += '\n';
    append_padded(out, "", kFormulaWidth, true);
    for (const Member* m : columns) append_padded(out, m->unit, kTableWidth, false);
    out += '\n';
}

void Append_Table_Row(std::string& out, const CaseResult& r, std::string_view formula,
                      const Columns& columns)
{
    append_padded(out, formula, kFormulaWidth, true);
    std::string cell;
    for (const Member* m : columns) {
        cell.clear();
        if (r.ok) {
            append_general(cell, value(*m, r), 7);
        } else if (const std::optional<double> v = failed_value(*m, r)) {
            append_general(cell, *v, 7);
        } else {
            out += "  failed: ";
            out += Error_Kind_Id(r.kind);
            break;
        }
        append_padded(out, cell, kTableWidth, false);
    }
    out += '\n';
}

}  // namespace aqvis::cli
