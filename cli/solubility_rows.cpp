// The rows of a solubility point: CSV, JSON lines and an aligned table.
// Names, units and order come from results/members.h.  A failed point
// shows its inputs (temperature, and pressure or molality), the error kind
// and, in JSON, the sentence.

#include <charconv>

#include "cli/rows.h"
#include "cli/solubility.h"
#include "io/text.h"
#include "results/members.h"
#include "results/number_text.h"

namespace aqvis::cli {

namespace {

void append_cell(std::string& out, double v)
{
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, Plus_Zero(v), std::chars_format::general, 7);
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (n < 14) out.append(14 - n, ' ');
    out.append(buf, n);
}

}  // namespace

void Append_Solubility_Csv_Header(std::string& out, bool)
{
    out += "Formula";
    for (const Member& m : Solubility_Members())
        out.append(",").append(m.name).append(" [").append(m.unit).append("]");
    out += ",warning,error\n";
}

void Append_Solubility_Csv_Row(std::string& out, const SolubilityResult& r, std::string_view formula,
                               bool bubble)
{
    out += formula;
    for (const Member& m : Solubility_Members()) {
        out += ',';
        if (r.ok || Is_Solubility_Input(m, bubble)) Append_Number17(out, Plus_Zero(Solubility_Value(m, r.v)));
    }
    // Warnings hold neither commas nor quotes.
    out.append(",").append(r.ok ? r.warning : "").append(",");
    if (!r.ok) out += Error_Kind_Id(r.kind);
    out += '\n';
}

void Append_Solubility_Json_Line(std::string& out, const SolubilityResult& r, std::string_view formula,
                                 bool bubble)
{
    JsonWriter w(out);
    w.Begin_Object().Key("Formula").String(formula);
    for (const Member& m : Solubility_Members())
        if (r.ok || Is_Solubility_Input(m, bubble)) w.Key(m.name).Number(Solubility_Value(m, r.v));
    if (!r.ok)
        End_Json_Failure(w, r.error, r.kind);
    else if (!r.warning.empty())
        w.Key("warning").String(r.warning).End_Object();
    else
        w.End_Object();
    out += '\n';
}

void Append_Solubility_Table_Header(std::string& out)
{
    std::string units = "        ";
    out += "Formula ";
    for (const Member& m : Solubility_Members()) {
        out.append(14 - std::string_view(m.name).size(), ' ').append(m.name);
        units.append(14 - std::string_view(m.unit).size(), ' ').append(m.unit);
    }
    out += '\n' + units + '\n';
}

void Append_Solubility_Table_Row(std::string& out, const SolubilityResult& r, std::string_view formula,
                                 bool bubble)
{
    out += formula;
    if (formula.size() < 8) out.append(8 - formula.size(), ' ');
    for (const Member& m : Solubility_Members()) {
        if (r.ok || Is_Solubility_Input(m, bubble))
            append_cell(out, Solubility_Value(m, r.v));
        else
            out.append(14, ' ');
    }
    if (!r.ok) out.append("  failed: ").append(Error_Kind_Id(r.kind));
    if (r.ok && !r.warning.empty()) out.append("  warning: ").append(r.warning);
    out += '\n';
}

}  // namespace aqvis::cli
