#pragma once
// What a failed user action says to the person: a title naming the kind of
// error, then what went wrong, why, and what to do next.  Plain UTF-8 text
// and no toolkit types, so the texts are checked on their own and every front
// end can explain a failure in the same words.

#include <optional>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "results/units.h"

namespace aqvis {

// What the user was doing when it failed.
enum class FailedAction {
    Accept,        // storing xi, a and b and opening the report file
    PressureHint,  // reading the temperature as the pressure box takes the focus
    Calculate,     // reading temperature and pressure and running the case
};

// The input that did not hold a number; None when the case itself or the
// report file failed.
enum class FailedInput { None, Xi, A, B, Temperature, Pressure };

struct Failure {
    FailedAction action = FailedAction::Calculate;
    std::optional<ErrorKind> kind;  // empty: a failure of no known kind, titled "Error"
    std::string_view message;       // what the failing step said
    FailedInput input = FailedInput::None;
    std::string_view input_text;    // the contents of that input, as typed
    double temperature_c = 0.0;     // the state the case was run at, degC
    double pressure_bar = 1.0;      // bar
};

// How and where the texts are shown, and the water constants the state is
// compared with (those of the calculation that failed).
struct FailureSetting {
    std::string_view decimal_sep = ".";
    std::string_view folder;      // the working folder, where the report file is written
    double zero_celsius_k = 0.0;  // K, 0 degC
    double critical_k = 0.0;      // K, critical temperature of water
    FrontEnd front_end = FrontEnd::Window;  // whose words: the window's boxes, or options and arguments
};

struct FailureText {
    std::string title;
    std::string text;
};

FailureText Failure_Text(const Failure& failure, const FailureSetting& setting);

// Why a case of `kind` fails at this temperature and pressure and what to
// try, in a sentence or two ("" where the failing step's message already
// says it, as the gas-liquid equilibrium's do).
std::string Case_Failure_Advice(ErrorKind kind, double temperature_c, double pressure_bar,
                                const FailureSetting& setting);

// The message of a failed case followed by its advice, as the command line
// and the Python module give it: "Division by zero in the calculation at
// 400 °C and 0 bar. 0 bar means the saturation pressure, ...".  The
// temperature and pressure, when the case got as far as reading them, are
// those it was run at (°C, bar).
std::string Explained_Case_Error(ErrorKind kind, std::string_view message,
                                 std::optional<double> temperature_c,
                                 std::optional<double> pressure_bar, FrontEnd front_end);

// `text` in quotation marks, shortened in the middle when it is too long to
// be read in a message (a pasted page, say), with its length in characters.
std::string Quoted_Input(std::string_view text);

}  // namespace aqvis
