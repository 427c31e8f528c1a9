#!/usr/bin/env bash
# Opens examples/petit.txt twice in one boxview under X, checks the picture, the close and the prompt that follows.
set -u

usage='usage : window_test.sh BOXVIEW CLOSE_WINDOW PROBE DOSSIER_DU_PROJET'
viewer=${1:?$usage}
closer=${2:?$usage}
probe=${3:?$usage}
root=${4:?$usage}
e2eDir=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$e2eDir/common.sh"
trap cleanUp EXIT
cd "$root" || exit 1

# Box 1 of petit.txt (6 4 3 at the origin) shows only a strip of its front face y = 4 between
# boxes 2 and 3; this point sits in the middle of that strip.
kFacePoint='4.5 4 1.5'

colour=$("$probe" colour 1) || abort "probe colour 1 a echoue"
read -r column row _ < <("$probe" point $kFacePoint) || abort "probe point a echoue"
echo "boite 1 : couleur $colour, centre de face visible au pixel ($column, $row)"

startViewer
waitPrompts 1 "au demarrage"

# checkPicture FILE WHAT: white background at the corners, box 1's own colour on its face.
checkPicture() {
    local corner got
    for corner in "0 0" "1023 0" "0 767" "1023 767"; do
        got=$("$kPython" "$e2eDir/picture.py" pixel "$1" $corner)
        if [ "$got" = "255 255 255" ]; then pass; else fail "$2 : fond blanc attendu au coin ($corner), obtenu $got"; fi
    done
    got=$("$kPython" "$e2eDir/picture.py" pixel "$1" "$column" "$row")
    if [ "$got" = "$colour" ]; then
        pass
    else
        fail "$2 : couleur de la boite 1 ($colour) attendue au pixel ($column, $row), obtenu $got"
    fi
}

typeAnswer examples/petit.txt
waitWindow "premiere ouverture"
geometry=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
if [ "$geometry" = "1024x768" ]; then pass; else fail "fenetre de 1024x768 attendue, obtenu $geometry"; fi
waitFrame "$work/first.xwd" "premiere ouverture"
checkPicture "$work/first.xwd" "premiere ouverture"
if hasPrompts 1; then pass; else fail "la console devait attendre la fermeture de la fenetre, obtenu : $(od -c "$work/out" | tail -3)"; fi
closeWindow "premiere ouverture"
waitPrompts 2 "apres la premiere fermeture"
pass

typeAnswer examples/petit.txt
waitWindow "seconde ouverture"
waitFrame "$work/second.xwd" "seconde ouverture"
checkPicture "$work/second.xwd" "seconde ouverture"
if sameImage "$work/first.xwd" "$work/second.xwd"; then
    pass
else
    fail "les deux ouvertures devaient donner la meme image, $(differingPixels "$work/first.xwd" "$work/second.xwd") pixels different"
fi
closeWindow "seconde ouverture"
waitPrompts 3 "apres la seconde fermeture"
pass

endViewer
if cmp -s <(printf "${kBanner}${kPrompt}${kPrompt}${kPrompt}\n") "$work/out"; then
    pass
else
    fail "sortie finale attendue : banniere, trois invites et \"\\n\", obtenu : $(od -c "$work/out" | tail -5)"
fi
finish
