#include <cstdio>

#include "cli/app.h"

int main(int argc, char** argv) { return aqvis::cli::Run(argc, argv, stdin, stdout, stderr); }
