#!/usr/bin/env bash
# Pipes answers into the real boxview with no X display and checks every byte it writes back and its exit status.
set -u
viewer=$1
. "$(dirname "$0")/common.sh"

# run INPUT EXPECTED [PREFIX]: fed INPUT, boxview ends with status 0 having printed the banner, a prompt, then
# exactly EXPECTED (a printf format); a %s there stands for the first line after the prompt, which must start with PREFIX.
run() {
    printf '%s' "$1" | timeout -k 5 20 "$viewer" >"$work/out" 2>/dev/null
    local status=$? start line expected got
    [ "$status" -eq 0 ] || fail "$(printf %q "$1") : statut 0 attendu, obtenu $status (124 : bloque, arrete au bout de 20 s)"
    start=$(printf "$kBanner$kPrompt") line=$(tail -c +$((${#start} + 1)) "$work/out" | head -n 1)
    [[ "$line" == "${3:-}"* ]] || line="<une ligne commencant par \"${3:-}\">"
    expected=$(printf "$kBanner$kPrompt$2." "$line") got=$(cat "$work/out"; printf .) # the dots keep final newlines
    [ "$got" = "$expected" ] || fail "$(printf %q "$1") : attendu $(printf %q "${expected%.}"), obtenu $(printf %q "${got%.}")"
}

# Missing names, one a line and two on one line, then the end of input.
run $'absent-1.txt\nabsent-2.txt absent-3.txt\n' \
    "absent-1.txt introuvable\n${kPrompt}absent-2.txt introuvable\n${kPrompt}absent-3.txt introuvable\n${kPrompt}\n"
# A layout with one box too many is refused on one line naming the file, then the prompt comes back.
{ printf '20 10 8\n61\n'; for ((n = 0; n < 61; ++n)); do printf '1 1 1 0 0 0\n'; done; } >"$work/trop.txt"
run "$work/trop.txt"$'\n' "%s\n${kPrompt}\n" "$work/trop.txt : "
# A good layout with no display: one line saying why, then the prompt; so too with the dummy video driver.
run $'examples/petit.txt\n' "%s\n${kPrompt}\n" "fenetre impossible a ouvrir : "
SDL_VIDEODRIVER=dummy run $'examples/petit.txt\n' "fenetre impossible a ouvrir : aucun ecran disponible (pilote video dummy)\n${kPrompt}\n"
finish
