#include "results/decimal_digits.h"

namespace aqvis {

char* Write_Digits(char* p, std::uint64_t n, std::size_t width)
{
    char tmp[24];
    char* const end = tmp + sizeof tmp;
    char* q = end;
    do {
        *--q = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (static_cast<std::size_t>(end - q) < width) *--q = '0';
    const auto count = static_cast<std::size_t>(end - q);
    std::memcpy(p, q, count);
    return p + count;
}

}  // namespace aqvis
