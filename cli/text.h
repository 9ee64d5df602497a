#pragma once
// Text from the user (solute names, fields of a batch line, file names) on
// its way into our output: JSON strings that are always valid UTF-8, and
// readable text that cannot drive a terminal.

#include <string>
#include <string_view>
#include <vector>

namespace aqvis::cli {

// Appends `text` as a JSON string in quotes: the characters JSON requires
// escaped are escaped, and bytes that are not UTF-8 become U+FFFD, so every
// line we print reads with a strict JSON reader whatever the input was.
void Append_Json_String(std::string& out, std::string_view text);

// Appends `text` for a person to read: UTF-8 characters as they are, control
// characters (escape sequences among them) and bytes that are not UTF-8 as
// \xHH, so input can neither move the cursor nor recolour the terminal.
void Append_Printable(std::string& out, std::string_view text);
std::string Printable(std::string_view text);

// `text` without the blanks and tabs around it.
std::string_view Trimmed(std::string_view text);

// The parts of `text` between the separators, each trimmed: "a, b," gives
// "a", "b" and "".
std::vector<std::string_view> Split_Trimmed(std::string_view text, char sep);

}  // namespace aqvis::cli
