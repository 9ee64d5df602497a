#pragma once
// Reading a whole text file (a catalogue, a set of measurements) with a bound
// on its size, the one reader of such files for the command line and the
// Python module alike.

#include <cstddef>
#include <cstdio>
#include <string>

namespace aqvis {

// A catalogue or a set of measurements is far smaller than this; a longer
// input (or an endless one such as /dev/zero) is refused, not held.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;

// The whole content of the file at `path`, or of the open stream `in` that
// `name` stands for.  Throws CalcError(FileError) naming it when it cannot
// be read or is longer than kMaxTextFileBytes.
std::string Read_Text_File(const std::string& path);
std::string Read_Text_Stream(std::FILE* in, const std::string& name);

}  // namespace aqvis
