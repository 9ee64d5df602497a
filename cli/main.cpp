#include <csignal>
#include <cstdio>

#include "cli/app.h"
#include "core/std_descriptors.h"

int main(int argc, char** argv)
{
    // Started with a standard descriptor closed, the program must not open
    // a report under that number and write rows or messages into it.
    if (!aqvis::Hold_Closed_Standard_Descriptors()) return 1;
    // Past a file size limit a write should fail (and be reported, leaving no
    // half line in the report) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    return aqvis::cli::Run(argc, argv, stdin, stdout, stderr);
}
