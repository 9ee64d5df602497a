#pragma once
// Stopping a long run (grid, batch) on SIGINT, SIGTERM or SIGHUP without
// leaving half a row behind.  While a StopSignals object lives, those
// signals only note that a stop was asked for; the run looks at Requested()
// between rows, writes out the whole rows it has, and calls Stop_Now(), which
// ends the program by the same signal, so the caller sees the usual status
// (130 for Ctrl-C in a shell).  While the run is idle (waiting for input with
// everything written) a signal ends the program at once.  Interrupted system
// calls are restarted, so a write in progress is finished.

namespace aqvis::cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // A stop was asked for.
    static bool Requested();
    // While true, a signal ends the program at once: nothing is half-written.
    static void Set_Idle(bool idle);
    // Ends the program by the signal that asked for the stop.
    [[noreturn]] static void Stop_Now();
};

}  // namespace aqvis::cli
