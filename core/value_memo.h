#pragma once
// A per-thread memo of values that depend on one double (a temperature).  A grid runs through the same temperatures
// pressure after pressure, and every calculation solves for the density at
// three temperatures, so terms that depend on the temperature alone are
// formed once per temperature and thread instead of once per point.
//
// The keys sit in a small four-way set-associative index.  A key met for
// the first time is only noted and its value formed in a scratch slot; the
// value is kept once the key comes back while still noted.  So states that
// never repeat a temperature (a batch of scattered cases) write nothing into
// the large table of values, and after a table's worth of them the memo is
// left alone for a while.
//
// A value is kept only when forming it left no failure flag raised, so a
// value read from the memo leaves the status flags as forming it would have:
// a calculation that fails still fails at the same statement.  Keys are
// matched bit for bit, so a hit returns exactly what forming
// the value again would give.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/fp.h"

namespace aqvis {

template <class Value, unsigned Log2Sets>
class ValueMemo {
public:
    // The value for `key`, from the memo or formed by make(Value&) in place.
    // The reference stays valid until the next call on this memo.
    template <class Make>
    const Value& Get(double key, Make&& make)
    {
        if (!sets_) {
            sets_ = std::make_unique<Set[]>(kSets);
            values_ = std::make_unique_for_overwrite<Value[]>(kSets * kWays);
            scratch_ = std::make_unique_for_overwrite<Value>();
        }
        if (rest_ != 0) {
            --rest_;
            form(*scratch_, make);
            return *scratch_;
        }
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(key);
        const std::size_t s = (bits * 0x9E3779B97F4A7C15ull) >> (64 - Log2Sets);
        Set& set = sets_[s];
        const std::uint64_t now = ++clock_;
        for (unsigned w = 0; w < kWays; ++w)
            if (set.key[w] == bits && set.used[w] != 0) {
                set.used[w] = now;
                misses_ = 0;
                Value& v = values_[s * kWays + w];
                if (!set.kept[w]) set.kept[w] = form(v, make);
                return v;
            }
        // The new key takes an empty way, else the way unused longest if
        // that is long ago, else the way noted last.  Kept values in use stay,
        // and a set that meets more keys in turn than it holds keeps the
        // first ones rather than losing each before it comes back.
        unsigned victim = kWays, oldest = 0;
        for (unsigned w = 1; w < kWays; ++w)
            if (set.used[w] < set.used[oldest]) oldest = w;
        if (set.used[oldest] == 0 || now - set.used[oldest] > kStale) {
            victim = oldest;
        } else {
            for (unsigned w = 0; w < kWays; ++w)
                if (!set.kept[w] && (victim == kWays || set.used[w] > set.used[victim])) victim = w;
        }
        // A table's worth of keys in a row, none of them met again: the
        // states do not repeat, and the memo rests for a while rather than
        // cost each of them a look-up.
        if (++misses_ == kSets * kWays) {
            misses_ = 0;
            rest_ = 16 * kSets * kWays;
        }
        if (victim != kWays) {
            set.key[victim] = bits;
            set.used[victim] = now;
            set.kept[victim] = false;
        }
        form(*scratch_, make);
        return *scratch_;
    }

private:
    static constexpr std::size_t kSets = std::size_t{1} << Log2Sets;
    static constexpr unsigned kWays = 4;
    static constexpr std::uint64_t kStale = 4 * kSets * kWays;  // calls
    struct Set {
        std::uint64_t key[kWays] = {};
        std::uint64_t used[kWays] = {};  // when last met; 0 for an empty way
        bool kept[kWays] = {};           // the value is in the table
    };

    // Forms v; true when no failure flag was up before or after.
    template <class Make>
    static bool form(Value& v, Make& make)
    {
        const bool clean_before = fp::raised() == 0;
        make(v);
        return clean_before && fp::raised() == 0;
    }

    std::unique_ptr<Set[]> sets_;
    std::unique_ptr<Value[]> values_;
    std::unique_ptr<Value> scratch_;
    std::uint64_t clock_ = 0;
    std::uint64_t misses_ = 0;  // keys in a row not found
    std::uint64_t rest_ = 0;    // calls left that skip the memo
};

}  // namespace aqvis
