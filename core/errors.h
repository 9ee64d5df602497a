#pragma once
// Errors that abandon a user action.  Every failure carries a kind, so the
// window and the command line can name it ("Division by zero", ...).

#include <stdexcept>
#include <string>

namespace aqvis {

enum class ErrorKind {
    TypeMismatch,
    DivisionByZero,
    Overflow,
    InvalidOperation,
    NoConvergence,
    UnknownSolute,
    FileError,
    // Of a solubility calculation: no gas phase can be described (the
    // solute has no critical constants), no gas and liquid coexist, or the
    // pressure is below the boiling pressure of the liquid.
    NoCriticalConstants,
    NoTwoPhase,
    LiquidBoils,
};

// Machine identifier: "type_mismatch", "division_by_zero", ...
const char* Error_Kind_Id(ErrorKind kind);
// Human title: "Type mismatch", "Division by zero", ...
const char* Error_Kind_Title(ErrorKind kind);

class CalcError : public std::runtime_error {
public:
    CalcError(ErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind kind() const noexcept { return kind_; }

private:
    ErrorKind kind_;
};

}  // namespace aqvis
