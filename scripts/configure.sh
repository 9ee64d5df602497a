# Sourced by start.sh and test.sh (with their `say`): installs what is
# missing (scripts/setup.sh) and configures the Release build in build/,
# through ccache where there is one.
say "checking the Debian packages the build needs (scripts/setup.sh)"
bash scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
say "configuring in build/"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
