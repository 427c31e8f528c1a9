#!/usr/bin/env bash
# Drives the viewer window with real X input (keys, pointer motion, wheel, clicks) and checks how the picture answers.
set -u

usage='usage : interaction_test.sh BOXVIEW CLOSE_WINDOW PROBE DOSSIER_DU_PROJET'
viewer=${1:?$usage}
closer=${2:?$usage}
probe=${3:?$usage}
root=${4:?$usage}
e2eDir=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$e2eDir/common.sh"
trap cleanUp EXIT
cd "$root" || exit 1

kFacePoint='4.5 4 1.5'    # middle of the visible strip of box 1's front face (see window_test.sh)
kCaptionPoint='20 10 -5'  # where the caption of the selected box starts: container's dimX, dimY, z = -5
kBlank='60 60'            # a background pixel far from the drawing
kMinInversePixels=20      # the thick inverse-colour edges of a selected box cover far more than this
kMinCaptionPixels=100     # black pixels the caption adds to its area

read -r red green blue < <("$probe" colour 1) || abort "probe colour 1 a echoue"
inverse="$((255 - red)) $((255 - green)) $((255 - blue))"
read -r faceColumn faceRow _ < <("$probe" point $kFacePoint) || abort "probe point a echoue"
read -r captionColumn captionRow _ < <("$probe" point $kCaptionPoint) || abort "probe point a echoue"
captionArea="$captionColumn $((captionRow - 14)) $((captionColumn + 320)) $((captionRow + 3))"

rightCtrl=$(keycodeOf Control_R) || abort "pas de code de touche pour Control_R"
rightShift=$(keycodeOf Shift_R) || abort "pas de code de touche pour Shift_R"

picture() { "$kPython" "$e2eDir/picture.py" "$@"; }
key() { xdotool key "$@"; }
# The --sync waits are bounded: a pointer or focus that never arrives must not hang the test.
moveTo() { timeout 10 xdotool mousemove --window "$window" --sync "$1" "$2"; }
# nudge DX DY COUNT: COUNT relative pointer motions.
nudge() {
    local k
    for ((k = 0; k < $3; ++k)); do xdotool mousemove_relative -- "$1" "$2"; done
}

# expectChange WHAT REF FILE: the picture leaves REF; FILE keeps the settled result.
expectChange() {
    if waitChange "$2" "$3"; then pass; else fail "$1 : l'image devait changer, elle est restee identique a avant"; fi
}

# expectSame WHAT REF: the picture comes back to REF exactly.
expectSame() {
    if waitSame "$2" "$work/last.xwd"; then
        pass
    else
        fail "$1 : image identique a $(basename "$2") attendue, $(differingPixels "$2" "$work/last.xwd") pixels different"
    fi
}

startViewer
waitPrompts 1 "au demarrage"
typeAnswer examples/petit.txt
waitWindow "ouverture"
waitFrame "$work/home.xwd" "ouverture"
got=$(picture pixel "$work/home.xwd" "$faceColumn" "$faceRow")
[ "$got" = "$red $green $blue" ] ||
    abort "couleur de la boite 1 ($red $green $blue) attendue au pixel ($faceColumn, $faceRow), obtenu $got"

# Without a window manager, the focus is whatever we set: put the pointer inside and give the window the keyboard.
moveTo $kBlank
timeout 10 xdotool windowfocus --sync "$window"
focused=$(xdotool getwindowfocus)
[ "$focused" = "$window" ] || abort "la fenetre $window devait avoir le focus, obtenu $focused"

# A left click on box 1 selects it: inverse-colour edges and a black caption.
inverseShown() { shot "$1" && [ "$(picture count "$1" $inverse)" -gt "$kMinInversePixels" ]; }
moveTo "$faceColumn" "$faceRow"
xdotool click 1
if waitFor inverseShown "$work/selected.xwd"; then
    pass
    waitFor shotStable "$work/selected.xwd"
    before=$(picture count "$work/home.xwd" 0 0 0 $captionArea)
    after=$(picture count "$work/selected.xwd" 0 0 0 $captionArea)
    echo "selection : $(picture count "$work/selected.xwd" $inverse) pixels de la couleur inverse ($inverse)," \
        "$before puis $after pixels noirs dans la zone de legende ($captionArea)"
    if [ "$((after - before))" -gt "$kMinCaptionPixels" ]; then
        pass
    else
        fail "legende de selection : plus de $kMinCaptionPixels pixels noirs attendus en plus dans ($captionArea), obtenu $before avant et $after apres"
    fi
else
    fail "clic sur la boite 1 en ($faceColumn, $faceRow) : plus de $kMinInversePixels pixels de la couleur inverse ($inverse) attendus, obtenu $(picture count "$work/selected.xwd" $inverse)"
fi

# A left click on the background clears the selection: back to the home picture.
moveTo $kBlank
xdotool click 1
expectSame "clic dans le vide" "$work/home.xwd"
count=$(picture count "$work/last.xwd" $inverse)
if [ "$count" -eq 0 ]; then pass; else fail "clic dans le vide : plus aucun pixel de la couleur inverse attendu, obtenu $count"; fi

# Escape goes home with both model turns at 0, which is not the 15-degree start.
key Escape
expectChange "Echap au depart" "$work/home.xwd" "$work/escape.xwd"
# A second Escape changes nothing; Up then Down marks the point where it has been handled.
key Escape Up
expectChange "Echap puis Haut" "$work/escape.xwd" "$work/up.xwd"
key Down
expectSame "Echap deux fois, Haut puis Bas" "$work/escape.xwd"

# Left Ctrl latches the model turn: the pointer's motion turns the model, and Escape undoes it.
key Control_L
nudge 10 0 3
nudge 0 10 2
expectChange "Ctrl et mouvements" "$work/escape.xwd" "$work/rotated.xwd"
key Escape
expectSame "Echap apres rotation" "$work/escape.xwd"
# Right Ctrl releases it: motion alone no longer turns anything.
key "$rightCtrl"
nudge 10 10 3
key Up
expectChange "Ctrl droit, mouvements puis Haut" "$work/escape.xwd" "$work/last.xwd"
key Down
if waitSame "$work/escape.xwd" "$work/last.xwd"; then
    pass
else
    fail "hors mode rotation, le mouvement ne devait rien tourner : $(differingPixels "$work/escape.xwd" "$work/last.xwd") pixels different"
fi

# Shift latches the orbit: horizontal motion moves the eye around; Escape brings it home.
key Shift_L
nudge 10 0 3
expectChange "Maj et mouvements" "$work/escape.xwd" "$work/orbit.xwd"
key "$rightShift"
key Escape
expectSame "Echap apres orbite" "$work/escape.xwd"

# The arrows: Up then Down and Right then Left come back to the same picture.
key Up
expectChange "fleche haut" "$work/escape.xwd" "$work/last.xwd"
if sameImage "$work/up.xwd" "$work/last.xwd"; then pass; else fail "fleche haut : meme image qu'au premier Haut attendue"; fi
key Down
expectSame "fleche bas apres haut" "$work/escape.xwd"
key Right
expectChange "fleche droite" "$work/escape.xwd" "$work/right.xwd"
key Left
expectSame "fleche gauche apres droite" "$work/escape.xwd"

# The wheel zooms by half the depth: two notches up equal one Up arrow, two down bring it back.
moveTo $kBlank
xdotool click 4
expectChange "molette vers le haut" "$work/escape.xwd" "$work/wheel.xwd"
xdotool click 4
expectSame "deux crans de molette vers le haut (comme fleche haut)" "$work/up.xwd"
xdotool click 5
expectSame "un cran de molette vers le bas" "$work/wheel.xwd"
xdotool click 5
expectSame "deux crans de molette vers le bas" "$work/escape.xwd"

closeWindow "fermeture"
waitPrompts 2 "apres la fermeture"
endViewer
finish
