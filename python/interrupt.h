#pragma once
// Ctrl-C during a long call of the module.  The work runs with the GIL
// released, so Python's handler of SIGINT only notes the signal; the thread
// that released the GIL asks for it now and then, taking the GIL for a
// moment each time.

#include <chrono>

namespace aqvis::python {

class InterruptCheck {
public:
    // True once a signal handler raised an exception (KeyboardInterrupt, now
    // the pending Python error).  Asks Python at most every kPeriod; call it
    // without the GIL, from the thread that released it.
    bool operator()();

private:
    // Short against the second a user waits after Ctrl-C, long against the
    // microsecond the GIL costs to take.
    static constexpr std::chrono::milliseconds kPeriod{100};

    std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + kPeriod;
    bool raised_ = false;
};

}  // namespace aqvis::python
