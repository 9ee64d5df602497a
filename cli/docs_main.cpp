// aqvis-cli-docs MAN_PAGE COMPLETION: writes the man page aqvis-cli(1) and the
// bash completion script of aqvis-cli, made from the command line the program
// parses with.  Run at build time.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/manual.h"
#include "results/members.h"
#include "solute/catalogue.h"

namespace {

bool write(const char* path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    if (!f) std::cerr << "aqvis-cli-docs: cannot write " << path << "\n";
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: aqvis-cli-docs MAN_PAGE COMPLETION\n";
        return 2;
    }
    const auto line = aqvis::cli::Make_Command_Line();
    std::vector<std::string> formulas, members;
    for (const aqvis::SoluteRecord& r : aqvis::Solute_Catalogue) formulas.emplace_back(r.Formula);
    for (const aqvis::Member& m : aqvis::Output_Members(true)) members.emplace_back(m.name);
    const bool ok = write(argv[1], aqvis::cli::Man_Page(line->app)) &&
                    write(argv[2], aqvis::cli::Bash_Completion(line->app, formulas, members));
    return ok ? 0 : 1;
}
