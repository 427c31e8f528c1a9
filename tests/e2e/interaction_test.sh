#!/usr/bin/env bash
# Drives the viewer window with real X input (keys, pointer motion, wheel, clicks) and checks how the picture answers.
set -u
viewer=$1 closer=$2 probe=$3
. "$(dirname "$0")/common.sh"

key() { xdotool key "$@"; }
# The --sync waits are bounded: a pointer or focus that never arrives must not hang the test.
moveTo() { timeout 10 xdotool mousemove --window "$window" --sync "$1" "$2"; }
# nudge DX DY: three relative pointer motions.
nudge() { for k in 1 2 3; do xdotool mousemove_relative -- "$1" "$2"; done; }

probeBox1
startViewer
waitPrompts 1 "au demarrage"
openWindow examples/petit.txt "$work/home.xwd"
expectFace "$work/home.xwd" "ouverture"
# Without a window manager, the focus is whatever we set: the pointer inside, then the keyboard.
moveTo 60 60 # a background pixel far from the drawing
timeout 10 xdotool windowfocus --sync "$window" || abort "la fenetre $window n'a pas pris le focus"

# A left click on box 1 selects it: inverse-colour edges, and a black caption that was not there.
selected() { shot "$1" && [ "$(count "$1" "$inverse")" -gt 20 ]; }
moveTo "$faceX" "$faceY"
xdotool click 1
waitFor selected "$work/selected.xwd" ||
    fail "clic sur la boite 1 : plus de 20 pixels de la couleur inverse $inverse attendus, obtenu $(count "$work/selected.xwd" "$inverse")"
waitFor stable "$work/selected.xwd"
captionArea=321x18+$captionX+$((captionY - 14))
before=$(count "$work/home.xwd" '#000000' "$captionArea")
after=$(count "$work/selected.xwd" '#000000' "$captionArea")
[ $((after - before)) -gt 100 ] ||
    fail "legende : plus de 100 pixels noirs de plus attendus dans $captionArea, obtenu $before puis $after"
# A left click on the background clears the selection.
moveTo 60 60
xdotool click 1
expectSame "clic dans le vide" "$work/home.xwd"

# Escape goes home with both model turns at 0, not the 15-degree start. A second Escape changes nothing:
# Up after it changes the picture and Down brings back the first Escape's.
key Escape
expectChange "Echap" "$work/home.xwd" "$work/escape.xwd"
key Escape Up
expectChange "Echap puis Haut" "$work/escape.xwd" "$work/up.xwd"
key Down
expectSame "Echap, Echap, Haut puis Bas" "$work/escape.xwd"
key Right
expectChange "fleche droite" "$work/escape.xwd" "$work/right.xwd"
key Left
expectSame "fleche droite puis gauche" "$work/escape.xwd"
# The wheel zooms by half the depth: two notches up equal one Up, two down bring it back.
xdotool click --repeat 2 4
expectSame "deux crans de molette vers le haut (comme Haut)" "$work/up.xwd"
xdotool click --repeat 2 5
expectSame "deux crans de molette vers le bas" "$work/escape.xwd"

# Shift latches the orbit, which follows horizontal motion. Ctrl then swaps it for the model turn,
# which vertical motion alone shows (the orbit ignores it). Escape undoes both.
key Shift_L
nudge 10 0
expectChange "Maj et mouvements horizontaux" "$work/escape.xwd" "$work/orbit.xwd"
key Escape
expectSame "Echap apres orbite" "$work/escape.xwd"
key Control_L
nudge 0 10
expectChange "Ctrl et mouvements verticaux" "$work/escape.xwd" "$work/turned.xwd"
key Escape
expectSame "Echap apres rotation" "$work/escape.xwd"
# Ctrl again releases it: motion then Up must give the plain Up picture.
key Control_L
nudge 10 10
key Up
expectSame "Ctrl relache, mouvements puis Haut" "$work/up.xwd"

closeWindow "fermeture"
waitPrompts 2 "apres la fermeture"
endViewer
finish
