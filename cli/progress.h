#pragma once
// A progress bar on standard error for long runs: shown only when standard
// error is a terminal, and only once the run has taken longer than a delay.

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace aqvis::cli {

class Progress {
public:
    // `out` is where the rows go: when it is the same terminal, the bar is
    // cleared before rows are written and drawn again after them.
    Progress(std::FILE* err, std::FILE* out, bool wanted, double delay_seconds, std::size_t total);

    // Before rows are written to a terminal that also shows the bar.
    void Before_Output();
    // `done` of the total are finished.
    void Update(std::size_t done);
    // The run is over: the final bar and a line end, if a bar was shown.
    void Finish(std::size_t done);
    // The run was stopped: the bar, if shown, is wiped from its line.
    void Clear();

private:
    double seconds() const;
    void draw(std::size_t done, double t);

    std::FILE* err_;
    std::size_t total_;
    double delay_;
    bool enabled_ = false, shares_terminal_ = false, shown_ = false;
    double last_ = 0.0;
    std::size_t last_done_ = 0;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace aqvis::cli
