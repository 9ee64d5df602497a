#include "core/errors.h"

namespace aqvis {

const char* Error_Kind_Id(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::TypeMismatch: return "type_mismatch";
    case ErrorKind::DivisionByZero: return "division_by_zero";
    case ErrorKind::Overflow: return "overflow";
    case ErrorKind::InvalidOperation: return "invalid_operation";
    case ErrorKind::NoConvergence: return "no_convergence";
    case ErrorKind::UnknownSolute: return "unknown_solute";
    case ErrorKind::FileError: return "file_error";
    case ErrorKind::NoCriticalConstants: return "no_critical_constants";
    case ErrorKind::NoTwoPhase: return "no_two_phase";
    case ErrorKind::LiquidBoils: return "liquid_boils";
    }
    return "unknown";
}

const char* Error_Kind_Title(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::TypeMismatch: return "Type mismatch";
    case ErrorKind::DivisionByZero: return "Division by zero";
    case ErrorKind::Overflow: return "Overflow";
    case ErrorKind::InvalidOperation: return "Invalid operation";
    case ErrorKind::NoConvergence: return "No convergence";
    case ErrorKind::UnknownSolute: return "Unknown solute";
    case ErrorKind::FileError: return "File error";
    case ErrorKind::NoCriticalConstants: return "No critical constants";
    case ErrorKind::NoTwoPhase: return "No two-phase solution";
    case ErrorKind::LiquidBoils: return "The liquid boils";
    }
    return "Error";
}

}  // namespace aqvis
