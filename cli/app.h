#pragma once
#include <cstdio>

namespace aqvis::cli {

// The whole command-line program: `aqvis-cli list | calc | batch | grid ...`.
// Returns the exit status: 0 every case computed, 1 at least one case
// failed or a file (the output among them) could not be written, 2 usage
// error or unreadable input file.
int Run(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace aqvis::cli
