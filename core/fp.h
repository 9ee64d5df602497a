#pragma once
// Detection of floating-point failures.
//
// A calculation runs first at full speed; the IEEE status flags are examined
// when it ends.  If a division by zero, an overflow or an invalid operation was
// flagged, the calculation is run again from its inputs in strict mode, where
// every checked statement tests the flags right after its value is formed and
// before it is stored.  The first failing statement then throws, so the error
// names the kind of the first failure and the members written before it keep
// their values, exactly as if every operation had been tested.
//
// The build must keep IEEE semantics (no -ffast-math, no FMA contraction), or
// both the flags and the results would change.
//
// Every floating-point operation of the calculation (the C library's exp, log
// and pow included) runs on the SSE unit, so the flags are read and cleared in
// its status register alone; the C library's fetestexcept/feclearexcept also
// go through the x87 unit, which costs far more and holds nothing here.

#include <cfenv>
#include <cmath>
#include <limits>


namespace aqvis::fp {

constexpr int kFailFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

// True while a calculation is being replayed with per-statement checks.
inline thread_local bool strict = false;

#if defined(__SSE2__)
// The exception flags of the SSE status register sit at the same bits as the
// FE_* constants (invalid 0x01, division by zero 0x04, overflow 0x08).  The
// register is read and written by volatile asm statements, which the compiler
// keeps in program order with the checks around them (its own intrinsics may
// be merged or moved past the store a check guards).
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08);
inline unsigned status_register()
{
    unsigned csr;
    asm volatile("stmxcsr %0" : "=m"(csr));
    return csr;
}
inline void set_status_register(unsigned csr) { asm volatile("ldmxcsr %0" : : "m"(csr)); }
// clear() drops all six exception flags of the register.
inline void clear() { set_status_register(status_register() & ~0x3fu); }
inline int raised() { return static_cast<int>(status_register()) & kFailFlags; }
// Raises the invalid-operation flag.
inline void raise_invalid() { set_status_register(status_register() | FE_INVALID); }
#else
inline void clear() { std::feclearexcept(FE_ALL_EXCEPT); }
inline int raised() { return std::fetestexcept(kFailFlags); }
inline void raise_invalid() { std::feraiseexcept(FE_INVALID); }
#endif

// Throws the CalcError for the given status flags (division by zero before
// overflow before invalid operation when one statement raised several).
[[noreturn]] void fail(int flags);

// Called after a checked statement has formed its value `v`.
inline void after(double v)
{
    if (strict) {
        // Make sure v has really been computed before the flags are read.
        asm volatile("" : : "x"(v));
        if (const int f = raised()) fail(f);
    }
}

// The same check with the mode known when the code is compiled: hot loops
// are instantiated twice and pick their instance once per call.
template <bool Strict>
inline void after_if(double v)
{
    if constexpr (Strict) {
        asm volatile("" : : "x"(v));
        if (const int f = raised()) fail(f);
    }
}

// ln(x) that treats x <= 0 as an invalid operation (the C library would
// report ln(0) as a pole, i.e. a division by zero).
inline double xlog(double x)
{
    if (!(x > 0.0)) {
        raise_invalid();
        return std::numeric_limits<double>::quiet_NaN();
    }
    return std::log(x);
}

// RAII switch for strict mode.
class StrictScope {
public:
    StrictScope() : old_(strict) { strict = true; }
    ~StrictScope() { strict = old_; }
    StrictScope(const StrictScope&) = delete;
    StrictScope& operator=(const StrictScope&) = delete;

private:
    bool old_;
};

}  // namespace aqvis::fp

// As AQ_SET, inside a function template with a `bool Strict` parameter.
#define AQ_SET_IF(dst, expr)                               \
    do {                                                   \
        const double aq_set_value_ = (expr);               \
        ::aqvis::fp::after_if<Strict>(aq_set_value_);      \
        (dst) = aq_set_value_;                             \
    } while (0)

// Evaluate expr, test it in strict mode, then store it in dst.
#define AQ_SET(dst, expr)                                  \
    do {                                                   \
        const double aq_set_value_ = (expr);               \
        ::aqvis::fp::after(aq_set_value_);                 \
        (dst) = aq_set_value_;                             \
    } while (0)
