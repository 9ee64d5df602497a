// Bash completion for aqvis-cli, written from the command line's definition.
// What an option's value completes to follows from how it is declared:
//   value FILE, positional FILE or DATA     file names
//   positional SOLUTE or SOLUTES            solute formulas (SOLUTES: a comma list)
//   value LIST                              member names, a comma list
//   value "w1|w2|..." or a ":{w1,w2}" check one of those words
// and a description that says "or all" adds the word all, "water alone" the word water.  Other values
// (numbers, ranges) offer nothing.

#include <string>

#include "cli/manual.h"

namespace aqvis::cli {

namespace {

std::string joined(std::span<const std::string> words)
{
    std::string s;
    for (const std::string& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

bool is_word_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '+';
}

// The words of "w1|w2" or of a validator's "{w1,w2}", or none.
std::string choices(const CLI::Option& opt, const std::string& value)
{
    std::string words;
    const std::string full = opt.get_type_name();
    const auto brace = full.find(":{");
    if (brace != std::string::npos && full.back() == '}') {
        words = full.substr(brace + 2, full.size() - brace - 3);
        for (char& c : words)
            if (c == ',') c = ' ';
        return words;
    }
    if (value.find('|') == std::string::npos) return "";
    for (const char c : value) {
        if (c == '|')
            words += ' ';
        else if (is_word_char(c))
            words += c;
        else
            return "";
    }
    return words;
}

// The shell code that completes the value of `d` (one case branch body).
std::string value_completion(const OptionDoc& d, const std::string& words)
{
    const std::string name = d.names.front();
    const bool all = d.description.find("or all") != std::string::npos;
    const bool water = d.description.find("water alone") != std::string::npos;
    if (d.value == "FILE" || name == "FILE" || name == "DATA") return "_aqvis_cli_files";
    if (name == "SOLUTE") return "_aqvis_cli_words \"$(_aqvis_cli_formulas)\"";
    if (name == "SOLUTES") return std::string("_aqvis_cli_items \"$(_aqvis_cli_formulas)") + (all ? " all" : "") +
                                     (water ? " water" : "") + "\"";
    if (d.value == "LIST") return std::string("_aqvis_cli_items \"$members") + (all ? " all" : "") + "\"";
    if (!words.empty()) return "_aqvis_cli_words \"" + words + "\"";
    return ":";
}

std::string subcommand_function(const CLI::App& sub)
{
    std::string value_cases, value_options, option_names, positional_cases;
    int positional = 0;
    for (const OptionDoc& d : Options_Of(sub)) {
        const std::string words = choices(*d.option, d.value);
        if (d.positional) {
            positional_cases +=
                "        " + std::to_string(positional++) + ") " + value_completion(d, words) + " ;;\n";
            continue;
        }
        std::string pattern;
        for (const std::string& n : d.names) {
            pattern += (pattern.empty() ? "" : "|") + n;
            option_names += (option_names.empty() ? "" : " ") + n;
        }
        if (d.value.empty()) continue;
        value_options += (value_options.empty() ? "" : "|") + pattern;
        value_cases += "        " + pattern + ") " + value_completion(d, words) + "; return ;;\n";
    }
    std::string f = "_aqvis_cli_cmd_" + sub.get_name() + "()\n{\n";
    if (!value_cases.empty()) f += "    case $prev in\n" + value_cases + "    esac\n";
    f += "    if [[ $cur == -* ]]; then _aqvis_cli_words \"" + option_names + "\"; return; fi\n";
    // Which positional the word is: the words after the subcommand that are
    // neither options nor their values.
    f += "    local n=0 j\n    for ((j = sub_at + 1; j < COMP_CWORD; j++)); do\n"
         "        case ${COMP_WORDS[j]} in\n";
    if (!value_options.empty()) f += "        " + value_options + ") ((j++)) ;;\n";
    f += "        -?*) ;;\n        *) ((n++)) ;;\n        esac\n    done\n";
    if (!positional_cases.empty()) f += "    case $n in\n" + positional_cases + "    esac\n";
    return f + "}\n\n";
}

}  // namespace

std::string Bash_Completion(const CLI::App& app, std::span<const std::string> formulas,
                            std::span<const std::string> members)
{
    std::string subs, dispatch;
    for (const CLI::App* sub : Subcommands(app)) {
        subs += (subs.empty() ? "" : " ") + sub->get_name();
        dispatch += "        " + sub->get_name() + ") _aqvis_cli_cmd_" + sub->get_name() + " ;;\n";
    }
    std::string global;
    for (const OptionDoc& d : Options_Of(app))
        for (const std::string& n : d.names) global += " " + n;

    std::string s =
        "# bash completion for aqvis-cli, generated from its command line by aqvis-cli-docs.\n\n"
        "_aqvis_cli_words()\n{\n    mapfile -t COMPREPLY < <(compgen -W \"$1\" -- \"$cur\")\n}\n\n"
        "# The last item of a comma-separated list.\n"
        "_aqvis_cli_items()\n{\n    local head=\"\" item=$cur\n"
        "    if [[ $cur == *,* ]]; then head=${cur%,*},; item=${cur##*,}; fi\n"
        "    mapfile -t COMPREPLY < <(compgen -P \"$head\" -W \"$1\" -- \"$item\")\n}\n\n"
        "_aqvis_cli_files()\n{\n    compopt -o filenames 2>/dev/null\n"
        "    mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n}\n\n"
        "# The built-in solutes, and those of a catalogue file named on the line.\n"
        "_aqvis_cli_formulas()\n{\n    local i\n    echo \"" + joined(formulas) + "\"\n"
        "    for ((i = 1; i + 1 < COMP_CWORD; i++)); do\n"
        "        if [[ ${COMP_WORDS[i]} == --catalogue && -r ${COMP_WORDS[i + 1]} ]]; then\n"
        "            \"${COMP_WORDS[0]}\" list --csv --catalogue \"${COMP_WORDS[i + 1]}\" 2>/dev/null |\n"
        "                tail -n +2 | cut -d, -f1\n"
        "        fi\n    done\n}\n\n";
    for (const CLI::App* sub : Subcommands(app)) s += subcommand_function(*sub);
    s += "_aqvis_cli()\n{\n    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
         "    local members=\"" + joined(members) + "\"\n"
         "    local sub=\"\" sub_at=0 i\n    COMPREPLY=()\n"
         "    for ((i = 1; i < COMP_CWORD; i++)); do\n        case ${COMP_WORDS[i]} in\n"
         "        ";
    std::string pattern = subs;
    for (char& c : pattern)
        if (c == ' ') c = '|';
    s += pattern + ") sub=${COMP_WORDS[i]}; sub_at=$i; break ;;\n        esac\n    done\n"
         "    case $sub in\n        '') _aqvis_cli_words \"" + subs + global + "\" ;;\n" + dispatch +
         "    esac\n}\n\ncomplete -F _aqvis_cli aqvis-cli\n";
    return s;
}

}  // namespace aqvis::cli
