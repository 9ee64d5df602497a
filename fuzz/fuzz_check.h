#pragma once
// A failed property check in a fuzz target: print what was wrong and abort,
// so that libFuzzer saves the input as a crash.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, ...)                                                    \
    do {                                                                         \
        if (!(cond)) {                                                           \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__,  \
                         __LINE__);                                              \
            std::fprintf(stderr, __VA_ARGS__);                                   \
            std::fputc('\n', stderr);                                            \
            std::abort();                                                        \
        }                                                                        \
    } while (0)
