#include "cli/progress.h"

#include <unistd.h>

namespace aqvis::cli {

Progress::Progress(std::FILE* err, std::FILE* out, bool wanted, double delay_seconds, std::size_t total)
    : err_(err), total_(total), delay_(delay_seconds)
{
    enabled_ = wanted && err && isatty(fileno(err));
    shares_terminal_ = enabled_ && out && isatty(fileno(out));
    start_ = std::chrono::steady_clock::now();
}

void Progress::Before_Output()
{
    if (shown_ && shares_terminal_) {
        std::fputs("\r\x1b[K", err_);
        std::fflush(err_);
    }
}

void Progress::Update(std::size_t done)
{
    if (!enabled_) return;
    const double t = seconds();
    if (t < delay_) return;
    if (shown_ && t - last_ < 0.1 && !shares_terminal_) return;
    draw(done, t);
}

void Progress::Finish(std::size_t done)
{
    if (!shown_) return;
    if (done != last_done_) draw(done, seconds());
    std::fputc('\n', err_);
    std::fflush(err_);
}

void Progress::Clear()
{
    if (!shown_) return;
    std::fputs("\r\x1b[K", err_);
    std::fflush(err_);
    shown_ = false;
}

double Progress::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::draw(std::size_t done, double t)
{
    constexpr int kWidth = 30;
    const double f = total_ ? static_cast<double>(done) / static_cast<double>(total_) : 1.0;
    const int filled = static_cast<int>(f * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '-';
    bar[kWidth] = '\0';
    const double rate = t > 0 ? static_cast<double>(done) / t : 0.0;
    char eta[40] = "";
    if (done < total_ && rate > 0)
        std::snprintf(eta, sizeof eta, ", %.0f s left", static_cast<double>(total_ - done) / rate);
    std::fprintf(err_, "\r\x1b[K[%s] %3d%%  %zu/%zu points  %.1f s  %.0f points/s%s", bar,
                 static_cast<int>(f * 100.0), done, total_, t, rate, eta);
    std::fflush(err_);
    shown_ = true;
    last_ = t;
    last_done_ = done;
}

}  // namespace aqvis::cli
