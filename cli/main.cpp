#include <csignal>
#include <cstdio>

#include "cli/app.h"

int main(int argc, char** argv)
{
    // Past a file size limit a write should fail (and be reported, leaving no
    // half line in the report) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    return aqvis::cli::Run(argc, argv, stdin, stdout, stderr);
}
