#!/usr/bin/env bash
# Opens examples/petit.txt twice in one boxview under X and checks the picture, the close and the prompt that follows,
# and that boxview-shot draws the very same picture without a window.
set -u
viewer=$1 closer=$2 probe=$3 shooter=$5
. "$(dirname "$0")/common.sh"

probeBox1
startViewer
waitPrompts 1 "au demarrage"
for n in 1 2; do
    openWindow examples/petit.txt "$work/$n.xwd"
    expectFace "$work/$n.xwd" "ouverture $n"
    hasPrompts "$n" || fail "ouverture $n : pas de nouvelle invite avant la fermeture attendue, obtenu $(od -An -c "$work/out" | tail -2)"
    closeWindow "ouverture $n"
    waitPrompts $((n + 1)) "apres la fermeture $n"
done
[ "$(differing "$work/1.xwd" "$work/2.xwd")" = 0 ] ||
    fail "meme image attendue aux deux ouvertures, $(differing "$work/1.xwd" "$work/2.xwd") pixels differents"
"$shooter" examples/petit.txt "$work/shot.png" || fail "boxview-shot a echoue pour examples/petit.txt"
[ "$(differing "$work/1.xwd" "$work/shot.png")" = 0 ] ||
    fail "boxview-shot : l'image de la fenetre attendue pixel pour pixel, $(differing "$work/1.xwd" "$work/shot.png") pixels differents"
endViewer
finish
