#pragma once
// The man page and the bash completion of aqvis-cli, made by walking the
// command line's definition (cli/command_line.h), so that every subcommand
// and option the program takes is in both.

#include <CLI/CLI.hpp>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace aqvis::cli {

// One positional or option as a user writes it.
struct OptionDoc {
    std::vector<std::string> names;  // "-h", "--help"; a positional: its name ("SOLUTE")
    std::string value;                // what follows the option ("FILE"); empty for a flag
    std::string description;
    bool positional = false;
    bool required = false;
    const CLI::Option* option = nullptr;  // the parser's record of it
};

// The subcommands of `app` in the order they were declared.
std::vector<const CLI::App*> Subcommands(const CLI::App& app);

// The positionals of `app`, then its options, in the order they were declared.
std::vector<OptionDoc> Options_Of(const CLI::App& app);

// The footer `sub` has of its own, without the one every subcommand shares.
std::string Own_Footer(const CLI::App& sub);

// The man page aqvis-cli(1) in roff.
std::string Man_Page(const CLI::App& app);

// A bash completion script for aqvis-cli: subcommands, options, solute
// formulas (`formulas` and those of a --catalogue file on the line), member
// names, and the values of options that take one of a few words.
std::string Bash_Completion(const CLI::App& app, std::span<const std::string> formulas,
                            std::span<const std::string> members);

}  // namespace aqvis::cli
