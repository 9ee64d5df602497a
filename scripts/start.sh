#!/usr/bin/env bash
# Installs what is missing, builds the programs a user starts (the window,
# aqvis-cli and, where pybind11 and numpy are there, the Python module) and
# opens the window. The tests and benchmarks are not built here:
# scripts/test.sh builds and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
say() { printf 'start.sh: %s\n' "$*" >&2; }

source scripts/configure.sh
say "building the window, aqvis-cli and the Python module: the first time about 3 to 5 minutes"
say "on 2 cores (no tests: scripts/test.sh builds them); later only what changed"
SECONDS=0
cmake --build build -j"$(nproc)" --target aqvis_programs
say "built in ${SECONDS} s"
if [ -x build/ui/aqvis ]; then
  say "opening the window (build/ui/aqvis)"
  exec build/ui/aqvis "$@"
else
  say "no window was built (Qt 6 Widgets missing): aqvis-cli ${*:-list}"
  exec build/cli/aqvis-cli "${@:-list}"
fi
