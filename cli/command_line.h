#pragma once
// The one definition of aqvis-cli's command line: every subcommand with its
// positionals, options, help texts and footers, on CLI11.  The program parses
// with it; its man page and bash completion are generated from it at build
// time (aqvis-cli-docs), so that they list what the program takes.

#include <CLI/CLI.hpp>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command.h"

namespace aqvis::cli {

struct CommandLine {
    CLI::App app;
    SharedOptions shared;
    std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>> commands;
};

// An exit status and what it means; the same for every subcommand.
struct ExitStatus {
    int status;
    const char* meaning;
};
inline constexpr ExitStatus kExitStatuses[] = {
    {0, "every case computed"},
    {1, "a case failed or a file could not be written"},
    {2, "usage error or unreadable input file"},
};

// The program's version, the project's (CMakeLists.txt).
std::string_view Version();

// The whole command line, declared and ready to parse.  Every subcommand's
// help ends with the exit statuses, after a footer of its own if it has one.
// With `only` naming a subcommand, the options of that one alone are
// declared: the others are named with their description, which is all the
// program's help and its errors show of them (declaring every option costs
// more than computing a case).
std::unique_ptr<CommandLine> Make_Command_Line(std::string_view only = {});

}  // namespace aqvis::cli
