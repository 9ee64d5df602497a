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

// Writes the digits of n < 10^precision (its first digit from 1 to 9) at p:
// the first, then the others in a block of sixteen (moved to its front,
// zeros behind them); returns how many digits are significant once trailing
// zeros go.
[[gnu::always_inline]] inline int write_digits(char* p, std::uint64_t n, int precision)
{
    std::uint32_t first, middle, low;
    if (precision == 17) {  // the top nine digits in one piece, split in 32-bit arithmetic
        const auto top = static_cast<std::uint32_t>(n / 100'000'000);
        low = static_cast<std::uint32_t>(n - std::uint64_t{top} * 100'000'000);
        first = top / 100'000'000;
        middle = top % 100'000'000;
    } else {
        const std::uint64_t unit = kPowersOf10[precision - 1];
        const std::uint64_t rest = n % unit * kPowersOf10[17 - precision];  // at the front of sixteen
        first = static_cast<std::uint32_t>(n / unit);
        middle = static_cast<std::uint32_t>(rest / 100'000'000);
        low = static_cast<std::uint32_t>(rest % 100'000'000);
    }
    p[0] = static_cast<char>('0' + first);
    return 17 - std::countl_one(Sixteen_Digits(p + 1, middle, low));
}

// The text of Write_General; inlined into its callers so that a fixed
// precision folds into the arithmetic.  The digits are written where they
// go and moved once for the point; the room behind the text takes the
// stores of sixteen characters.
[[gnu::always_inline]] inline char* write_general(char* p, double v, int precision)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    char* const start = p;
    *p = '-';
    p += bits >> 63;
    std::uint64_t n = 0;
    int E = 0;
    if (!Round_Significant(v, precision, Ties::ToEven, n, E)) {  // zero, subnormal, not finite, out of reach
        if (v != 0.0) return write_to_chars(start, v, precision);
        *p = '0';
        return p + 1;
    }
    if (E >= 0 && E < precision) {  // ddd.ddd
        const int count = write_digits(p, n, precision);
        if (count <= E + 1) return p + E + 1;
        char tail[16];
        std::memcpy(tail, p + E + 1, 16);
        p[E + 1] = '.';
        std::memcpy(p + E + 2, tail, 16);
        return p + count + 1;
    }
    if (E < 0 && E >= -4) {  // 0.000ddd
        std::memcpy(p, "0.0000", 6);
        p += 1 - E;
        return p + write_digits(p, n, precision);
    }
    // d.ddde+XX: the first digit goes before the point.
    const int count = write_digits(p + 1, n, precision);
    p[0] = p[1];
    p[1] = '.';
    p += count > 1 ? count + 1 : 1;
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
