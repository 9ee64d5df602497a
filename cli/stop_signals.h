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

// Runs a grid with the stop signals noted: `run()` returns its summary
// (stopped, output_error, failed).  A stopped run ends the program by the
// signal; otherwise the exit status: 1 when a point failed or an output
// could not be written, 0 else.
template <class Run>
int Run_Stoppable(Run run)
{
    StopSignals stop;
    const auto summary = run();
    if (summary.stopped) StopSignals::Stop_Now();
    return summary.output_error || summary.failed ? 1 : 0;
}

}  // namespace aqvis::cli
