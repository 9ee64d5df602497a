#include "cli/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>

namespace aqvis::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t g_signal = 0;
volatile sig_atomic_t g_idle = 0;
struct sigaction g_saved[3];

void die_by(int sig)
{
    ::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
}

extern "C" void note_signal(int sig)
{
    g_signal = sig;
    if (g_idle) die_by(sig);
}

}  // namespace

StopSignals::StopSignals()
{
    g_signal = 0;
    g_idle = 0;
    struct sigaction sa {};
    sa.sa_handler = note_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], nullptr, &g_saved[i]);
        // A signal ignored by whoever started us (nohup) stays ignored.
        if (g_saved[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &sa, nullptr);
    }
}

StopSignals::~StopSignals()
{
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &g_saved[i], nullptr);
}

bool StopSignals::Requested() { return g_signal != 0; }

void StopSignals::Set_Idle(bool idle)
{
    g_idle = idle ? 1 : 0;
    if (idle && g_signal) die_by(g_signal);
}

void StopSignals::Stop_Now()
{
    die_by(g_signal ? g_signal : SIGTERM);
    std::_Exit(128 + (g_signal ? g_signal : SIGTERM));
}

}  // namespace aqvis::cli
