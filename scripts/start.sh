#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
if [ -x build/ui/aqvis ]; then
  exec build/ui/aqvis "$@"
else
  exec build/cli/aqvis-cli "${@:-list}"
fi
