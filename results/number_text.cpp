#include "results/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "results/decimal_digits.h"

namespace aqvis {

namespace {

char* write_to_chars(char* p, double v, int precision)
{
    return std::to_chars(p, p + kNumber17Room, v, std::chars_format::general, precision).ptr;
}

// The digits of n < 10^17 as 17 characters at d (leading zeros included);
// returns how many of them are significant once trailing zeros go.
int seventeen_digits(char* d, std::uint64_t n)
{
    const std::uint64_t rest = n % 10'000'000'000'000'000;
    d[0] = static_cast<char>('0' + n / 10'000'000'000'000'000);
    const std::uint16_t zeros = Sixteen_Digits(d + 1, static_cast<std::uint32_t>(rest / 100'000'000),
                                               static_cast<std::uint32_t>(rest % 100'000'000));
    return 17 - std::countl_one(zeros);
}

// The text of Write_General; inlined into its callers so that a fixed
// precision folds into the arithmetic.
[[gnu::always_inline]] inline char* write_general(char* p, double v, int precision)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    if (v == 0.0) {
        if (bits >> 63) *p++ = '-';
        *p++ = '0';
        return p;
    }
    std::uint64_t n = 0;
    int E = 0;
    if (!Round_Significant(std::fabs(v), precision, Ties::ToEven, n, E))
        return write_to_chars(p, v, precision);  // zero, subnormal, not finite, out of reach
    // The digits at the end of a 17-place field; the significant ones start
    // at `digits` and number `count`.
    char field[40] = {};  // room for the fixed-size copies below
    const int count = seventeen_digits(field, n) - (17 - precision);
    const char* digits = field + (17 - precision);

    // Digits are copied in fixed-size blocks (the room covers the overrun)
    // and the pointer moved by the true length.
    if (bits >> 63) *p++ = '-';
    if (E >= -4 && E < precision) {
        if (E >= 0) {
            std::memcpy(p, digits, 17);
            if (count > E + 1) {
                std::memcpy(p + E + 2, digits + E + 1, 16);
                p[E + 1] = '.';
                p += count + 1;
            } else {
                p += E + 1;
            }
        } else {
            std::memcpy(p, "0.0000", 6);
            p += 1 - E;
            std::memcpy(p, digits, 17);
            p += count;
        }
        return p;
    }
    *p++ = digits[0];
    if (count > 1) {
        *p++ = '.';
        std::memcpy(p, digits + 1, 16);
        p += count - 1;
    }
    *p++ = 'e';
    *p++ = E < 0 ? '-' : '+';
    const int x = E < 0 ? -E : E;
    if (x >= 100) *p++ = static_cast<char>('0' + x / 100);
    *p++ = static_cast<char>('0' + x / 10 % 10);
    *p++ = static_cast<char>('0' + x % 10);
    return p;
}

}  // namespace

char* Write_General(char* p, double v, int precision) { return write_general(p, v, precision); }

char* Write_Number17(char* p, double v) { return write_general(p, v, 17); }

void Append_General(std::string& out, double v, int precision)
{
    char buf[kNumber17Room];
    out.append(buf, static_cast<std::size_t>(Write_General(buf, v, precision) - buf));
}

void Append_Number17(std::string& out, double v) { Append_General(out, v, 17); }

}  // namespace aqvis
