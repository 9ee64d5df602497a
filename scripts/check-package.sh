#!/usr/bin/env bash
# Builds the Debian package from the build in build/ (scripts/test.sh makes
# it), unpacks it into a scratch root with dpkg -x and checks that the files
# are where they belong, that the dependencies are declared and that the
# unpacked aqvis-cli and Python module compute what the build tree computes.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
rm -f "$build"/aqvis_*.deb
if ! (cd "$build" && cpack -G DEB) >"$root.log" 2>&1; then
  cat "$root.log"; rm -f "$root.log"; exit 1
fi
rm -f "$root.log"
deb="$(ls "$build"/aqvis_*.deb)"
dpkg -x "$deb" "$root"
echo "== $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"

failed=0
check() {  # description, command...
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then echo "ok   $what"; else echo "FAIL $what"; failed=1; fi
}
py=/usr/lib/python3/dist-packages/aqvis
check "window /usr/bin/aqvis" test -x "$root/usr/bin/aqvis"
check "command line /usr/bin/aqvis-cli" test -x "$root/usr/bin/aqvis-cli"
check "desktop entry" test -f "$root/usr/share/applications/aqvis.desktop"
check "icon" test -f "$root/usr/share/icons/hicolor/scalable/apps/aqvis.svg"
check "Python package in $py" test -f "$root$py/__init__.py"
check "compiled core in $py" compgen -G "$root$py/_core.cpython-*.so"
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in python3-numpy libqt6widgets6 libqt6svg6 fonts-dejavu-core; do
  check "depends on $dep" grep -q "$dep" <<<"$depends"
done
check "no file outside /usr" test -z "$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)"

# The unpacked programs, as installed: the same numbers as the build tree's.
expected="$("$build/cli/aqvis-cli" calc N2 100 0 --json)"
check "unpacked aqvis-cli computes" test "$("$root/usr/bin/aqvis-cli" calc N2 100 0 --json)" = "$expected"
check "unpacked module imports from dist-packages and computes" \
  env -u PYTHONPATH PYTHONPATH="$root/usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 -c "
import json, sys, aqvis
assert aqvis.__file__.startswith('$root'), aqvis.__file__
r = aqvis.calculate('N2', 100, 0)
e = json.loads(sys.argv[1])
assert all(float(r[k]) == e[k] for k in e if k in r), 'numbers differ'
" "$expected"
exit "$failed"
