#!/usr/bin/env bash
# Builds the Debian package from the build in build/ (scripts/test.sh makes
# it), unpacks it into a scratch root with dpkg -x and checks that the files
# are where they belong, that the dependencies are declared and that the
# unpacked aqvis-cli and Python module compute what the build tree computes;
# lintian must find no error.  As root on a machine without aqvis installed
# (CI), the package is also installed with apt, used, removed and purged,
# and nothing of it may stay behind.
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
check "plot module in /usr/lib/aqvis/modules" test -f "$root/usr/lib/aqvis/modules/aqvis-plot.so"
check "aqvis-cli needs no Qt library (the plot module loads it)" \
  bash -c "! readelf -d '$root/usr/bin/aqvis-cli' | grep -q 'NEEDED.*libQt'"
check "shipped catalogue in /usr/share/aqvis" test -f "$root/usr/share/aqvis/guideline_refit.csv"
check "shipped catalogue in $py/data" test -f "$root$py/data/guideline_refit.csv"
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in python3-numpy libqt6widgets6 libqt6svg6 qt6-qpa-plugins fonts-dejavu-core; do
  check "depends on $dep" grep -q "$dep" <<<"$depends"
done
check "copyright file" test -f "$root/usr/share/doc/aqvis/copyright"
check "changelog" test -f "$root/usr/share/doc/aqvis/changelog.gz"
control="$(mktemp -d)"
dpkg-deb -e "$deb" "$control"
check "postinst byte-compiles the module" grep -q "py3compile -p aqvis" "$control/postinst"
check "prerm removes the compiled files" grep -q "py3clean -p aqvis" "$control/prerm"
rm -rf "$control"
check "no file outside /usr" test -z "$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)"

# The unpacked programs, as installed: the same numbers as the build tree's.
expected="$("$build/cli/aqvis-cli" calc N2 100 0 --json)"
check "unpacked aqvis-cli computes" test "$("$root/usr/bin/aqvis-cli" calc N2 100 0 --json)" = "$expected"
check "unpacked aqvis-cli draws a plot with its module" \
  bash -c "'$root/usr/bin/aqvis-cli' grid N2 --temp 0:100:50 --press 1 --plot '$root/p.svg' && grep -q '<svg' '$root/p.svg'"
check "unpacked module imports from dist-packages and computes" \
  env -u PYTHONPATH PYTHONPATH="$root/usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 -c "
import json, sys, aqvis
assert aqvis.__file__.startswith('$root'), aqvis.__file__
r = aqvis.calculate('N2', 100, 0)
e = json.loads(sys.argv[1])
assert all(float(r[k]) == e[k] for k in e if k in r), 'numbers differ'
assert aqvis.load_catalogue('guideline_refit').path.startswith('$root'), 'shipped catalogue not found'
" "$expected"
check "unpacked aqvis-cli finds the shipped catalogue by name" \
  test "$(cd / && "$root/usr/bin/aqvis-cli" calc Ne 100 0 --json --catalogue guideline_refit)" = \
       "$("$build/cli/aqvis-cli" calc Ne 100 0 --json --catalogue data/guideline_refit.csv)"

if command -v lintian >/dev/null; then
  if lintian --allow-root --fail-on error --suppress-tags no-manual-page "$deb"; then echo "ok   lintian finds no error"
  else echo "FAIL lintian finds errors"; failed=1; fi
else
  echo "FAIL lintian is not installed (scripts/setup.sh installs it)"; failed=1
fi

# Installed for real: the programs and the module work from /, and removing
# and purging the package leaves nothing behind (no __pycache__ that would
# import as an empty namespace package).
if [ "$(id -u)" -ne 0 ] || dpkg-query -W aqvis >/dev/null 2>&1; then
  echo "skip installing the package (not root, or aqvis is installed already)"
  exit "$failed"
fi
apt=(apt-get -o DPkg::Lock::Timeout=300 -y -q)
installed() { dpkg-query -W -f='${Status}' aqvis 2>/dev/null | grep -q "install ok installed"; }
check "apt installs the package" "${apt[@]}" install "$(realpath "$deb")"
check "installed aqvis-cli computes" test "$(cd / && aqvis-cli calc N2 100 0 --json)" = "$expected"
check "installed aqvis-cli draws a plot" \
  bash -c "cd '$root' && aqvis-cli grid N2 --temp 0:100:50 --press 1 --plot installed.png && test -s installed.png"
check "installed module imports from / with /usr/bin/python3" \
  env -u PYTHONPATH -C / /usr/bin/python3 -c "import aqvis; aqvis.calculate('N2', 25, 1)"
check "module byte-compiled" compgen -G "$py/__pycache__/_calculate.*.pyc"
check "dpkg -r removes the package" dpkg -r aqvis
check "nothing of the module stays after dpkg -r" test ! -e "$py"
check "import aqvis fails after dpkg -r" \
  env -u PYTHONPATH -C / /usr/bin/python3 -c "
try:
    import aqvis
except ModuleNotFoundError:
    raise SystemExit(0)
raise SystemExit('aqvis still imports')"
check "dpkg --purge purges the package" dpkg --purge aqvis
check "nothing stays after purge" test -z "$(dpkg-query -W aqvis 2>/dev/null; ls -d /usr/bin/aqvis /usr/bin/aqvis-cli /usr/lib/aqvis /usr/share/doc/aqvis 2>/dev/null)"
installed && dpkg --purge aqvis >/dev/null 2>&1
exit "$failed"
