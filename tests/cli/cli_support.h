#pragma once
// The command-line tests run the built aqvis-cli (support/program.h) and read
// its JSON lines (support/json_lines.h).

#include <string>
#include <vector>

#include "support/fresh_calculation.h"
#include "support/json_lines.h"
#include "support/program.h"

namespace aqvis::clitest {

using test::Json;
using test::Keys;
using test::Parse_Json;

struct Outcome {
    int rc = -1;
    std::string out, err;
};

// Runs `aqvis-cli args...` with `input` on standard input.
inline Outcome run(const std::vector<std::string>& args, const std::string& input = "",
                   const test::ProgramOptions& options = {})
{
    test::ProgramOptions o = options;
    o.input = input;
    const test::ProgramRun r = test::Run_Program(args, o);
    return {r.exit_status, r.out, r.err};
}

// Lines of a text, without their line ends ("\n"; a final line without one counts).
inline std::vector<std::string> lines(const std::string& text) { return test::Lf_Lines(text); }

// The same case computed directly with the library, as the window would.
using test::Parameters;

inline CaseValues reference(const std::string& solute, double TC, double Pbar, Parameters p = {})
{
    return test::Fresh_Calculation(solute, TC, Pbar, p);
}

}  // namespace aqvis::clitest
