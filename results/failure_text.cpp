#include "results/failure_text.h"

#include <cstddef>
#include <limits>

#include "results/model_range.h"
#include "results/number_format.h"
#include "results/number_text.h"
#include "results/report.h"
#include "core/constants.h"
#include "water/constants.h"

namespace aqvis {

namespace {

// An input is quoted whole up to this many characters; a longer one keeps its
// first and last characters around an ellipsis, so that a message box stays
// within a screen and a line within a terminal.
constexpr std::size_t kQuotedWhole = 40;
constexpr std::size_t kQuotedHead = 28;
constexpr std::size_t kQuotedTail = 8;

bool Continuation_Byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte offset of the start of character `n` (counted from 0) of UTF-8 text.
std::size_t Character_Offset(std::string_view text, std::size_t n) {
    std::size_t i = 0;
    for (; i < text.size(); ++i)
        if (!Continuation_Byte(text[i]) && n-- == 0) break;
    return i;
}

std::size_t Character_Count(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += !Continuation_Byte(c);
    return n;
}

// The code point of the UTF-8 sequence text[b, e), or U+FFFD when the bytes
// are not one well-formed character.
char32_t Code_Point(std::string_view text, std::size_t b, std::size_t e) {
    constexpr char32_t kReplacement = 0xFFFD;
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};  // no overlong forms
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t n = e - b;
    if (n == 1) return byte(b) < 0x80 ? byte(b) : kReplacement;
    if (n > 4 || (byte(b) >> (7 - n)) + 2u != 1u << (n + 1)) return kReplacement;
    char32_t c = byte(b) & (0x7Fu >> n);
    for (std::size_t i = b + 1; i < e; ++i) c = (c << 6) | (byte(i) & 0x3F);
    return c < kSmallest[n] ? kReplacement : c;
}

// The white space that the window's text handling trims: ASCII blanks and
// controls TAB to CR, NEL, and the Unicode space, line and paragraph
// separators.
bool Is_Space(char32_t c) {
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::string_view Trimmed(std::string_view text) {
    for (;;) {
        std::size_t e = 1;
        while (e < text.size() && Continuation_Byte(text[e])) ++e;
        if (text.empty() || !Is_Space(Code_Point(text, 0, e))) break;
        text.remove_prefix(e);
    }
    for (;;) {
        std::size_t b = text.size();
        while (b > 0 && Continuation_Byte(text[b - 1])) --b;
        if (b > 0) --b;
        if (text.empty() || !Is_Space(Code_Point(text, b, text.size()))) break;
        text.remove_suffix(text.size() - b);
    }
    return text;
}

// The advice of the command line and the Python module where it differs
// from the window's: they take options and arguments, not boxes.  Null: the
// window's words serve.  "" for the kinds whose message says it all.
const char* Front_End_Advice(ErrorKind kind, FrontEnd fe) {
    const bool python = fe == FrontEnd::Python;
    switch (kind) {
        case ErrorKind::Overflow:
            return "A result is too large for a double: check \u03BE, a and b, the temperature and "
                   "the pressure.";
        case ErrorKind::FileError:
            return "Check that the file's folder can be written and that the file, where it "
                   "exists, is a regular file that can be written.";
        case ErrorKind::TypeMismatch:
            return python ? "Give finite numbers: NaN and infinity cannot be computed."
                          : "Give numbers with '.' as the decimal separator, such as 25, -1.5 or "
                            "2e3.";
        case ErrorKind::UnknownSolute:
        case ErrorKind::NoCriticalConstants:
        case ErrorKind::NoTwoPhase:
        case ErrorKind::LiquidBoils: return "";
        default: return nullptr;
    }
}

// `v` in six significant digits, as the messages of a case give numbers.
std::string Six_Digits(double v) {
    std::string text;
    Append_General(text, v, 6);
    return text;
}

std::string Title_Of(std::optional<ErrorKind> kind) {
    return kind ? Error_Kind_Title(*kind) : "Error";
}

// The first sentence of a report: the kind of error, then what the failing
// step said (which often names the kind itself).
std::string Lead(std::string_view title, std::string_view message) {
    const std::string_view said = Trimmed(message);
    std::string text = said.starts_with(title) ? std::string() : std::string(title) + ": ";
    text += said;
    if (!text.ends_with('.')) text += '.';
    return text;
}

const char* Input_Name(FailedInput input) {
    switch (input) {
        case FailedInput::Xi: return "the box \u03BE";
        case FailedInput::A: return "the box a";
        case FailedInput::B: return "the box b";
        case FailedInput::Temperature: return "the temperature box";
        case FailedInput::Pressure: return "the pressure box";
        case FailedInput::None: break;
    }
    return "the input";
}

// "the box a holds "abc", which is not a number", after the kind of error.
std::string Input_Mismatch(FailedInput input, std::string_view text) {
    std::string out = std::string(Error_Kind_Title(ErrorKind::TypeMismatch)) + ": " +
                      Input_Name(input);
    if (text.empty()) return out + " is empty";
    return out + " holds " + Quoted_Input(text) + ", which is not a number";
}

std::string Number_Example(std::string_view whole, std::string_view decimals,
                           const FailureSetting& s) {
    return std::string(whole) + std::string(s.decimal_sep) + std::string(decimals);
}

std::string Kept_Results() {
    return std::string("The results panel keeps the previous results and no line was written to ") +
           kReportFileName + ".";
}

FailureText Accept_Text(const Failure& f, const FailureSetting& s) {
    if (f.input != FailedInput::None) {
        return {Title_Of(ErrorKind::TypeMismatch),
                Input_Mismatch(f.input, f.input_text) + ".\n\nType a number such as " +
                    Number_Example("-8", "4596", s) + " (decimal separator \u201C" +
                    std::string(s.decimal_sep) +
                    "\u201D) and press Accept again; the parameters were not accepted."};
    }
    const std::string title = Title_Of(f.kind.value_or(ErrorKind::FileError));
    const std::string file = kReportFileName;
    return {title, Lead(title, f.message) +
                       "\n\nThe parameters were not accepted. The report file \"" + file +
                       "\" is written in the folder " + std::string(s.folder) +
                       ": make sure that the folder can be written and that " + file +
                       " there is a writable file, then press Accept again."};
}

FailureText Calculate_Text(const Failure& f, const FailureSetting& s) {
    if (f.input == FailedInput::Temperature || f.input == FailedInput::Pressure) {
        const std::string hint =
            f.input == FailedInput::Temperature
                ? "Type a temperature in \u00B0C such as " + Number_Example("25", "0", s) +
                      ", or leave the box empty for 0 \u00B0C."
                : "Type a pressure in bar such as " + Number_Example("100", "0", s) +
                      ", 0 for the saturation pressure below the critical temperature, or "
                      "leave the box empty for 1 bar.";
        return {Title_Of(ErrorKind::TypeMismatch),
                Input_Mismatch(f.input, f.input_text) + ".\n\n" + hint + "\n\n" + Kept_Results()};
    }
    const std::string title = Title_Of(f.kind);
    const std::string advice =
        Case_Failure_Advice(f.kind.value_or(ErrorKind::InvalidOperation), f.temperature_c,
                            f.pressure_bar, s);
    return {title, Lead(title, f.message) + "\n\n" + advice + "\n\n" + Kept_Results()};
}

}  // namespace

std::string Quoted_Input(std::string_view text) {
    const std::size_t count = Character_Count(text);
    if (count <= kQuotedWhole) return "\u201C" + std::string(text) + "\u201D";
    const std::size_t head = Character_Offset(text, kQuotedHead);
    const std::size_t tail = Character_Offset(text, count - kQuotedTail);
    return "\u201C" + std::string(text.substr(0, head)) + "\u2026" +
           std::string(text.substr(tail)) + "\u201D (" + std::to_string(count) + " characters)";
}

std::string Case_Failure_Advice(ErrorKind kind, double temperature_c, double pressure_bar,
                                const FailureSetting& s) {
    const bool window = s.front_end == FrontEnd::Window;
    if (temperature_c <= -s.zero_celsius_k)
        return "The temperature must lie above \u2212273.15 \u00B0C; the model is meant for 0 to "
               "500 \u00B0C.";
    const bool supercritical = s.zero_celsius_k + temperature_c > s.critical_k;
    if (kind == ErrorKind::DivisionByZero && supercritical && pressure_bar == 0.0) {
        if (!window)
            return "0 bar means the saturation pressure, which does not exist above the critical "
                   "temperature of water, " + Six_Digits(s.critical_k - s.zero_celsius_k) +
                   " \u00B0C; give a pressure above 0 bar.";
        return "Above the critical temperature of water (" +
               Format_Number(s.critical_k - s.zero_celsius_k, "##0.00", s.decimal_sep) +
               " \u00B0C) a pressure of 0 does not stand for the saturation pressure: type a "
               "pressure above 0 bar.";
    }
    if (!window && kind == ErrorKind::NoConvergence && !In_Model_Range(temperature_c, pressure_bar))
        return "This state lies outside the model's range (0 to 500 \u00B0C, 1 to 2000 bar), where "
               "the equation of state of water need not have a density of liquid or fluid water; "
               "give a state within the range.";
    if (!window && kind == ErrorKind::NoConvergence)
        return "The density of water was not found here (the state named may lie 0.5 K from the one "
               "asked: the temperature derivatives need it); near the critical point of water, " +
               Six_Digits(s.critical_k - s.zero_celsius_k) + " \u00B0C and " + Six_Digits(water::Pcr) +
               " bar, try a state a little away from it.";
    if (!window) {
        if (const char* advice = Front_End_Advice(kind, s.front_end)) return advice;
    }
    switch (kind) {
        case ErrorKind::Overflow:
            return "A result is too large to be shown. Check \u03BE, a and b (choosing the solute "
                   "again restores its own values), the temperature and the pressure.";
        case ErrorKind::NoConvergence:
            return "The density of water could not be found at this temperature and pressure. "
                   "Try a state within 0 to 500 \u00B0C and 1 to 2000 bar.";
        case ErrorKind::FileError:
            return "The report file could not be written. Open the menu, choose the solute and "
                   "press Accept to open it again.";
        default:
            return "Check the temperature and the pressure: the model is meant for 0 to 500 "
                   "\u00B0C and 1 to 2000 bar, and above the critical temperature of water the "
                   "pressure must be above 0.";
    }
}

std::string Explained_Case_Error(ErrorKind kind, std::string_view message,
                                 std::optional<double> temperature_c,
                                 std::optional<double> pressure_bar, FrontEnd front_end) {
    FailureSetting s;
    s.zero_celsius_k = kZeroCelsius;
    s.critical_k = water::Tcr;
    s.front_end = front_end;
    constexpr double kUnread = std::numeric_limits<double>::quiet_NaN();
    const std::string advice = Case_Failure_Advice(kind, temperature_c.value_or(kUnread),
                                                   pressure_bar.value_or(kUnread), s);
    std::string text(message);
    if (advice.empty()) return text;
    if (!text.ends_with('.')) text += '.';
    return text + ' ' + advice;
}

FailureText Failure_Text(const Failure& failure, const FailureSetting& setting) {
    switch (failure.action) {
        case FailedAction::Accept: return Accept_Text(failure, setting);
        case FailedAction::PressureHint:
            return {Title_Of(ErrorKind::TypeMismatch),
                    Input_Mismatch(FailedInput::Temperature, failure.input_text) +
                        ", so the pressure box cannot tell whether 0 stands for the saturation "
                        "pressure."};
        case FailedAction::Calculate: break;
    }
    return Calculate_Text(failure, setting);
}

}  // namespace aqvis
