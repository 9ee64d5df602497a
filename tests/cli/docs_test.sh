#!/usr/bin/env bash
# The generated bash completion and man page of aqvis-cli, used as a person
# would: completions offered for typed lines, the page set by groff.
#   docs_test.sh AQVIS_CLI COMPLETION MAN_PAGE
set -uo pipefail
cli=$(realpath "$1") completion=$(realpath "$2") man_page=$(realpath "$3")
failed=0

# shellcheck source=/dev/null
source "$completion"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
printf 'Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\nCH3SH,-0.31,-13.7,16.2,-2300,60.9,3.2,30.1,0.5\n' > mine.csv
touch n2.csv

# Offers for a line typed up to the cursor: the words after | must all be
# offered, those after ! none of them.
offers()
{
    local line=$1
    read -ra COMP_WORDS <<< "$line"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_WORDS[0]=$cli
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _aqvis_cli
    printf '%s\n' "${COMPREPLY[@]}"
}

while IFS='|' read -r line wanted; do
    [[ -z $line || $line == \#* ]] && continue
    unwanted=${wanted#*!}
    [[ $wanted == *!* ]] || unwanted=""
    wanted=${wanted%%!*}
    got=$(offers "$line")
    for w in $wanted; do
        grep -qxF -- "$w" <<< "$got" || { echo "FAIL '$line': $w not offered; offered: $(echo $got)"; failed=1; }
    done
    for w in $unwanted; do
        grep -qxF -- "$w" <<< "$got" && { echo "FAIL '$line': $w offered"; failed=1; }
    done
done <<'CASES'
aqvis-cli |list calc batch grid fit solubility --version !N2
aqvis-cli so|solubility !calc
aqvis-cli calc |N2 CO2 H3AsO3 !all --json
aqvis-cli calc --json |N2 !--json
aqvis-cli calc N2 25 |!N2 n2.csv
aqvis-cli calc --catalogue mine.csv CH3|CH3SH
aqvis-cli grid |all water H2 C6H6
aqvis-cli grid N2,C|N2,CO2 N2,CH4 N2,C6H6 !CO2 all
aqvis-cli grid N2 --x |temp press !N2
aqvis-cli grid N2 --columns lnkH,V|lnkH,V2 lnkH,VH2O !V2
aqvis-cli grid N2 --columns |all lnkH K
aqvis-cli grid N2 --temp 25 --press 1 --|--plot --columns --threads !--version
aqvis-cli grid N2 --plot |mine.csv n2.csv
aqvis-cli list --|--csv --catalogue !--json
aqvis-cli fit N2 |n2.csv mine.csv !N2
aqvis-cli fit |N2 !n2.csv
aqvis-cli solubility CO2 --|--molality --press --kij
CASES

# The man page sets without a warning.
warnings=$(groff -man -Tutf8 -ww -z "$man_page" 2>&1)
if [[ -n $warnings ]]; then echo "FAIL groff on the man page: $warnings"; failed=1; fi
exit $failed
