#include "core/fp.h"

#include "core/errors.h"

namespace aqvis::fp {

void fail(int flags)
{
    clear();
    if (flags & FE_DIVBYZERO)
        throw CalcError(ErrorKind::DivisionByZero, "Division by zero");
    if (flags & FE_OVERFLOW)
        throw CalcError(ErrorKind::Overflow, "Overflow");
    throw CalcError(ErrorKind::InvalidOperation, "Invalid operation");
}

}  // namespace aqvis::fp
