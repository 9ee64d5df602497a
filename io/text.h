#pragma once
// Text from the user (solute names, fields of a batch line, file names) on
// its way into our output: JSON strings that are always valid UTF-8, and
// readable text that cannot drive a terminal.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace aqvis {

// Appends `text` as a JSON string in quotes: the characters JSON requires
// escaped are escaped, C1 control characters too (as \u0080 to \u009f, so
// that a terminal showing the line does not act on them), and bytes that are
// not UTF-8 become U+FFFD, so every line we print reads with a strict JSON
// reader whatever the input was.
void Append_Json_String(std::string& out, std::string_view text);
// The same text without the quotes around it.
void Append_Json_String_Body(std::string& out, std::string_view text);

// Appends `text` for a person to read: UTF-8 characters as they are, control
// characters (escape sequences among them) and bytes that are not UTF-8 as
// \xHH, so input can neither move the cursor nor recolour the terminal.
void Append_Printable(std::string& out, std::string_view text);
std::string Printable(std::string_view text);

// Length of the well-formed UTF-8 character at the start of `text` (a code
// point of at most four bytes, no overlong form, no surrogate, at most
// U+10FFFF), or 0 when the first byte does not begin one.
std::size_t Utf8_Length(std::string_view text);

// True for a C0 or C1 control character or DEL at the start of `text`, whose
// well-formed length is `n`: what can drive a terminal.
bool Is_Control_Character(std::string_view text, std::size_t n);

// `text` without the blanks and tabs around it.
std::string_view Trimmed(std::string_view text);

// The parts of `text` between the separators, as they are, into `parts`
// (reused from call to call): "a, b," gives "a", " b" and "".
void Split(std::string_view text, char sep, std::vector<std::string_view>& parts);

// The same parts, each trimmed: "a, b," gives "a", "b" and "".
std::vector<std::string_view> Split_Trimmed(std::string_view text, char sep);

}  // namespace aqvis
