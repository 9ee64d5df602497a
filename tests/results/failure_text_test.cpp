#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "results/failure_text.h"

using aqvis::ErrorKind;
using aqvis::FailedAction;
using aqvis::FailedInput;
using aqvis::Failure;
using aqvis::Failure_Text;
using aqvis::FailureSetting;
using aqvis::Quoted_Input;

namespace {

// The water constants the calculation compares the state with.
FailureSetting Setting(const char* sep = ".") { return {sep, "/home/u/run", 273.15, 647.067}; }

Failure Make(FailedAction action, std::optional<ErrorKind> kind, const char* message,
             FailedInput input = FailedInput::None, std::string_view text = "") {
    Failure f;
    f.action = action;
    f.kind = kind;
    f.message = message;
    f.input = input;
    f.input_text = text;
    return f;
}

std::string Repeat(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

}  // namespace

// A long input (a pasted page) is echoed short, cut between characters, with
// its length in characters; up to 40 characters it is echoed whole.
TEST(FailureText, LongInputsAreQuotedShortAtCharacterBoundaries) {
    const std::string forty = Repeat("7", 40);
    const struct {
        std::string text, quoted;
    } cases[] = {
        {"abc", "\u201Cabc\u201D"},
        {forty, "\u201C" + forty + "\u201D"},
        {forty + "x",
         "\u201C" + Repeat("7", 28) + "\u2026" + Repeat("7", 7) + "x\u201D (41 characters)"},
        {Repeat("\u5BB6", 5000), "\u201C" + Repeat("\u5BB6", 28) + "\u2026" + Repeat("\u5BB6", 8) +
                                     "\u201D (5000 characters)"},
        {Repeat("\U0001F600", 100) + "\u00E9",
         "\u201C" + Repeat("\U0001F600", 28) + "\u2026" + Repeat("\U0001F600", 7) +
             "\u00E9\u201D (101 characters)"},
    };
    for (const auto& c : cases) EXPECT_EQ(Quoted_Input(c.text), c.quoted) << c.text.substr(0, 60);
}

// What the failing step said leads the text after the kind, trimmed of the
// white space the window trims (Unicode spaces too, but not a malformed byte
// sequence that only looks like one), without the kind or the period twice.
TEST(FailureText, LeadNamesTheKindOnceAndEndsWithOnePeriod) {
    const struct {
        const char* message;
        const char* lead;
    } cases[] = {
        {"Division by zero in the calculation", "Division by zero in the calculation."},
        {" \t\u00A0\u3000Division by zero here.\u2029\n", "Division by zero here."},
        {"x = 1/0", "Division by zero: x = 1/0."},
        {"", "Division by zero: ."},
        {"\xC0\xA0x", "Division by zero: \xC0\xA0x."},
    };
    for (const auto& c : cases) {
        const auto t = Failure_Text(
            Make(FailedAction::Calculate, ErrorKind::DivisionByZero, c.message), Setting());
        EXPECT_EQ(t.title, "Division by zero");
        EXPECT_EQ(t.text.substr(0, t.text.find("\n\n")), c.lead) << c.message;
    }
}

// The advice follows the state: absolute zero, 0 bar above the critical
// temperature (but not at 373.917 degC, just below it in double arithmetic),
// the kind; a failure of no known kind is an "Error" with the general advice.
TEST(FailureText, AdviceFollowsTheStateAndTheKind) {
    const struct {
        std::optional<ErrorKind> kind;
        double tc, pbar;
        const char* sep;
        const char* title;
        const char* advice;
    } cases[] = {
        {ErrorKind::DivisionByZero, -273.15, 1, ".", "Division by zero", "above \u2212273.15"},
        {ErrorKind::Overflow, -1e308, 1, ".", "Overflow", "must lie above \u2212273.15"},
        {ErrorKind::DivisionByZero, 400, 0, ",", "Division by zero", "(373,92 \u00B0C) a pressure"},
        {ErrorKind::DivisionByZero, 400, 1, ".", "Division by zero", "Check the temperature and"},
        {ErrorKind::DivisionByZero, 373.917, 0, ".", "Division by zero", "Check the temperature"},
        {ErrorKind::Overflow, 25, 1, ".", "Overflow", "Check \u03BE, a and b"},
        {ErrorKind::NoConvergence, -110, 1000, ".", "No convergence", "density of water could not"},
        {ErrorKind::FileError, 25, 1, ".", "File error", "choose the solute and press Accept"},
        {std::nullopt, 25, 1, ".", "Error", "Check the temperature and the pressure"},
    };
    for (const auto& c : cases) {
        Failure f = Make(FailedAction::Calculate, c.kind, "it failed");
        f.temperature_c = c.tc;
        f.pressure_bar = c.pbar;
        const auto t = Failure_Text(f, Setting(c.sep));
        EXPECT_EQ(t.title, c.title) << c.tc << " " << c.pbar;
        const std::size_t from = t.text.find("\n\n") + 2, to = t.text.rfind("\n\n");
        EXPECT_NE(t.text.substr(from, to - from).find(c.advice), std::string::npos) << t.text;
        EXPECT_TRUE(t.text.ends_with("no line was written to AQVIS.OUT.")) << t.text;
    }
}

// The command line's sentence for a density not found names the range when
// the state lies outside it, the critical point otherwise.
TEST(FailureText, CommandLineNoConvergenceFollowsTheState) {
    const struct {
        double tc, pbar;
        const char* advice;
    } cases[] = {
        {-110, 1000, "outside the model's range"},
        {25, 1e9, "outside the model's range"},
        {374, 220.6, "near the critical point"},
    };
    for (const auto& c : cases)
        EXPECT_NE(Explained_Case_Error(ErrorKind::NoConvergence, "No convergence", c.tc, c.pbar,
                                       aqvis::FrontEnd::CommandLine)
                      .find(c.advice),
                  std::string::npos)
            << c.tc << " " << c.pbar;
}

// Each action's text as the window has always shown it.
TEST(FailureText, EachActionHasItsWayOut) {
    const struct {
        Failure failure;
        const char* sep;
        const char* title;
        std::string text;
    } cases[] = {
        {Make(FailedAction::Accept, ErrorKind::TypeMismatch, "", FailedInput::Xi, ""), ".",
         "Type mismatch",
         "Type mismatch: the box \u03BE is empty.\n\nType a number such as -8.4596 (decimal separator "
         "\u201C.\u201D) and press Accept again; the parameters were not accepted."},
        {Make(FailedAction::Accept, std::nullopt, "Cannot open AQVIS.OUT"), ".", "File error",
         "File error: Cannot open AQVIS.OUT.\n\nThe parameters were not accepted. The report file "
         "\"AQVIS.OUT\" is written in the folder /home/u/run: make sure that the folder can be "
         "written and that AQVIS.OUT there is a writable file, then press Accept again."},
        {Make(FailedAction::PressureHint, ErrorKind::TypeMismatch, "", FailedInput::Temperature,
              "hot"),
         ".", "Type mismatch",
         "Type mismatch: the temperature box holds \u201Chot\u201D, which is not a number, so the "
         "pressure box cannot tell whether 0 stands for the saturation pressure."},
        {Make(FailedAction::Calculate, ErrorKind::TypeMismatch, "", FailedInput::Pressure, "1 bar"),
         ",", "Type mismatch",
         "Type mismatch: the pressure box holds \u201C1 bar\u201D, which is not a number.\n\nType a "
         "pressure in bar such as 100,0, 0 for the saturation pressure below the critical "
         "temperature, or leave the box empty for 1 bar.\n\nThe results panel keeps the previous "
         "results and no line was written to AQVIS.OUT."},
    };
    for (const auto& c : cases) {
        const auto t = Failure_Text(c.failure, Setting(c.sep));
        EXPECT_EQ(t.title, c.title);
        EXPECT_EQ(t.text, c.text);
    }
}
