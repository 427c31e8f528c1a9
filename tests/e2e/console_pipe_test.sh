#!/usr/bin/env bash
# Pipes answers into the real boxview where no window can open and checks every byte it writes back and its status.
set -u
viewer=$1
. "$(dirname "$0")/common.sh"

# run INPUT EXPECTED [PREFIX]: fed INPUT, boxview ($launch before it, if set) ends with status 0 having printed the banner,
# a prompt, then exactly EXPECTED (a printf format); %s there stands for the line after the prompt, which starts with PREFIX.
run() {
    printf '%s' "$1" | ${launch:-timeout -k 5 20} "$viewer" >"$work/out" 2>/dev/null
    local status=$? start line expected got
    [ "$status" -eq 0 ] || fail "$(printf %q "$1") : statut 0 attendu, obtenu $status (124 : bloque, arrete au bout de 20 s)"
    start=$(printf "$kBanner$kPrompt") line=$(tail -c +$((${#start} + 1)) "$work/out" | head -n 1)
    [[ "$line" == "${3:-}"* ]] || line="<une ligne commencant par \"${3:-}\">"
    expected=$(printf "$kBanner$kPrompt$2." "$line") got=$(cat "$work/out"; printf .) # the dots keep final newlines
    [ "$got" = "$expected" ] || fail "$(printf %q "$1") : attendu $(printf %q "${expected%.}"), obtenu $(printf %q "${got%.}")"
}

# Two names on one line, one of them missing; no display; the dummy video driver, whose window nobody could see;
# an X server without GLX: each gets one line, the prompt comes back, and the end of input ends boxview.
run $'examples/petit.txt absent.txt\n' "%s\n${kPrompt}absent.txt introuvable\n${kPrompt}\n" "fenetre impossible a ouvrir : "
SDL_VIDEODRIVER=dummy run $'examples/petit.txt\n' "fenetre impossible a ouvrir : aucun ecran disponible (pilote video dummy)\n${kPrompt}\n"
noGlx() { timeout -k 5 20 xvfb-run -a -s '-extension GLX -noreset' "$@"; }
launch=noGlx run $'examples/petit.txt\n' "%s\n${kPrompt}\n" "fenetre impossible a ouvrir : "
finish
