// The rows of a solubility point: CSV, JSON lines and an aligned table.
// Names, units and order come from results/solubility_members.h.  A failed
// point shows its inputs (temperature, and pressure or molality), the error
// kind and, in JSON, the sentence.

#include <charconv>

#include "cli/rows.h"
#include "cli/solubility.h"
#include "io/text.h"
#include "results/number_text.h"
#include "results/solubility_members.h"

namespace aqvis::cli {

namespace {

// Whether member m is an input of the point, which a failed row still shows.
bool is_input(const SolubilityMember& m, bool bubble)
{
    return m.value == &SolubilityValues::TC ||
           m.value == (bubble ? &SolubilityValues::molality : &SolubilityValues::Pbar);
}

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
    for (const SolubilityMember& m : Solubility_Members())
        out.append(",").append(m.member.name).append(" [").append(m.member.unit).append("]");
    out += ",warning,error\n";
}

void Append_Solubility_Csv_Row(std::string& out, const SolubilityResult& r, std::string_view formula,
                               bool bubble)
{
    out += formula;
    for (const SolubilityMember& m : Solubility_Members()) {
        out += ',';
        if (r.ok || is_input(m, bubble)) Append_Number17(out, Plus_Zero(r.v.*m.value));
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
    for (const SolubilityMember& m : Solubility_Members())
        if (r.ok || is_input(m, bubble)) w.Key(m.member.name).Number(r.v.*m.value);
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
    for (const SolubilityMember& m : Solubility_Members()) {
        out.append(14 - std::string_view(m.member.name).size(), ' ').append(m.member.name);
        units.append(14 - std::string_view(m.member.unit).size(), ' ').append(m.member.unit);
    }
    out += '\n' + units + '\n';
}

void Append_Solubility_Table_Row(std::string& out, const SolubilityResult& r, std::string_view formula,
                                 bool bubble)
{
    out += formula;
    if (formula.size() < 8) out.append(8 - formula.size(), ' ');
    for (const SolubilityMember& m : Solubility_Members()) {
        if (r.ok || is_input(m, bubble))
            append_cell(out, r.v.*m.value);
        else
            out.append(14, ' ');
    }
    if (!r.ok) out.append("  failed: ").append(Error_Kind_Id(r.kind));
    if (r.ok && !r.warning.empty()) out.append("  warning: ").append(r.warning);
    out += '\n';
}

}  // namespace aqvis::cli
