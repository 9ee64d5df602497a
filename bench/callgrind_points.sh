#!/usr/bin/env bash
# bench/callgrind_points.sh BUILD_DIR: instructions per point under callgrind
# for the cases the speed targets name, and the share of each spent forming
# its row (JSON line, CSV or table row): the difference of two runs of
# different sizes, one thread, output to /dev/null.  Also the instructions of
# `aqvis-cli calc N2 25 1` in all, start-up included.
#   bash bench/callgrind_points.sh build
set -eu
b="$(cd "$1" && pwd)"; cli="$b/cli/aqvis-cli"; w="$(mktemp -d)"; trap 'rm -rf "$w"' EXIT; cd "$w"
# total and row-forming instructions of one run
run() {
  valgrind --tool=callgrind --callgrind-out-file=cg.out "$@" >/dev/null 2>cg.log
  local total rows
  total=$(sed -n 's/.*Collected : *//p' cg.log)
  rows=$(callgrind_annotate --inclusive=yes cg.out 2>/dev/null |
         awk '/aqvis::cli::Append_(Json_Line|Csv_Row|Table_Row)\(/ { gsub(",", "", $1); s += $1 } END { print s + 0 }')
  echo "$total $rows"
}
per() {  # name, points of the small run, of the large one, then the two commands after --
  local name=$1 n1=$2 n2=$3; shift 3
  local small=() large=() seen=0
  for a in "$@"; do
    if [ "$a" = "--" ]; then seen=1; continue; fi
    if [ $seen = 0 ]; then small+=("$a"); else large+=("$a"); fi
  done
  read -r t1 r1 < <(run "${small[@]}"); read -r t2 r2 < <(run "${large[@]}")
  printf '%-24s %7d instr/point, rows %6d of them\n' "$name:" $(((t2 - t1) / (n2 - n1))) $(((r2 - r1) / (n2 - n1)))
}
L="--press 0,100,500,1000 --threads 1 --no-progress"
per "liquid grid all cols" 32 2804 $cli grid CH4 --temp 0:350:50 $L -- $cli grid CH4 --temp 0:350:0.5 $L
per "liquid grid lnkH" 32 2804 $cli grid CH4 --temp 0:350:50 $L --columns lnkH -- $cli grid CH4 --temp 0:350:0.5 $L --columns lnkH
per "liquid grid json" 32 2804 $cli grid CH4 --temp 0:350:50 $L --json -- $cli grid CH4 --temp 0:350:0.5 $L --json
per "steam grid" 25 22050 $cli grid CH4 --temp 380:600:50 --press 1:50:10 --threads 1 --no-progress \
  -- $cli grid CH4 --temp 380:600:0.5 --press 1:50:1 --threads 1 --no-progress
python3 -c "
import random
random.seed(1)
for n,f in ((100,'s.csv'),(3100,'l.csv')):
  with open(f,'w') as o:
    for i in range(n): o.write('N2,%g,%g\n'%(random.uniform(0,350), random.choice([0,1,100,500])))
"
per "batch --json" 100 3100 $cli batch s.csv --json -- $cli batch l.csv --json
read -r t _ < <(run $cli calc N2 25 1)
echo "calc N2 25 1 total:      $t"
