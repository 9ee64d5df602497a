#include "cli/rows.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "cli/text.h"
#include "results/captions.h"
#include "results/number_text.h"

namespace aqvis::cli {

namespace {

void number17(std::string& out, double v) { Append_Number17(out, Plus_Zero(v)); }

void key(std::string& out, const char* name)
{
    out += '"';
    out += name;
    out += "\":";
}

void optional_number(std::string& out, const std::optional<double>& v)
{
    if (v && std::isfinite(*v))
        number17(out, *v);
    else
        out += "null";
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
    if (m.state == &CalcState::TC) return r.TC;
    if (m.state == &CalcState::Pbar) return r.Pbar;
    if (Is_Input_Member(m)) return r.state.*(m.state);
    return std::nullopt;
}

double value(const Member& m, const CaseResult& r) { return Member_Value(m, r.state, r.derived); }

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
    out += '{';
    key(out, "Formula");
    Append_Json_String(out, r.ok ? std::string_view(r.state.Formula) : solute);
    if (!r.ok) {
        out += ',';
        key(out, "TC");
        optional_number(out, r.TC);
        out += ',';
        key(out, "Pbar");
        optional_number(out, r.Pbar);
        out += ',';
        key(out, "error");
        Append_Json_String(out, r.error);
        out += ',';
        key(out, "kind");
        Append_Json_String(out, Error_Kind_Id(r.kind));
        out += "}\n";
        return;
    }
    // ,"name": of every member, formed once.
    static const std::vector<std::string> member_keys = [] {
        std::vector<std::string> k;
        for (const Member& m : Output_Members()) k.push_back(std::string(",\"") + m.name + "\":");
        return k;
    }();
    std::size_t i = 0;
    for (const Member& m : Output_Members()) {
        out += member_keys[i++];
        number17(out, value(m, r));
    }
    out += ',';
    key(out, "captions");
    out += '{';
    const PanelCaptions captions = Result_Captions(r.state, r.derived, ".");
    for (const auto& [name, text] : captions.items()) {
        key(out, name);
        Append_Json_String(out, *text);
        out += ',';
    }
    key(out, "txtTemp");
    Append_Json_String(out, Input_Box_Text(r.state.TC));
    out += ',';
    key(out, "txtPress");
    Append_Json_String(out, Input_Box_Text(r.pressure_used.value_or(r.state.Pbar)));
    out += "}}\n";
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
        for (const Member* m : columns) {
            out += ',';
            number17(out, value(*m, r));
        }
        out += ",\n";
        return;
    }
    for (const Member* m : columns) {
        out += ',';
        if (const std::optional<double> v = failed_value(*m, r)) number17(out, *v);
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
