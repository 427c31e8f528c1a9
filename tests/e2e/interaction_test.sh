#!/usr/bin/env bash
# Drives the viewer window with real X input (keys, pointer motion, wheel, clicks, load steps) and checks how the
# picture answers; then the idle window's CPU, the missing-font line, and SIGINT and SIGTERM at the prompt and window.
set -u
viewer=$1 closer=$2 probe=$3 shooter=$5
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

# Left alone, the window waits for events: under 3 % of a core over 10 s.
ticks() { awk '{print $14 + $15}' "/proc/$viewerPid/stat"; }
before=$(ticks)
sleep 10
used=$(($(ticks) - before)) hz=$(getconf CLK_TCK)
echo "CPU de la fenetre au repos : $((used * 1000 / (10 * hz))) pour mille d'un coeur sur 10 s (limite 30)"
[ $((used * 100)) -lt $((3 * 10 * hz)) ] ||
    fail "fenetre au repos : moins de 3 % d'un coeur attendus sur 10 s, obtenu $((used * 100 / (10 * hz))) %"
# Without a window manager, the focus is whatever we set: the pointer inside, then the keyboard.
moveTo 60 60 # a background pixel far from the drawing
timeout 10 xdotool windowfocus --sync "$window" || abort "la fenetre $window n'a pas pris le focus"

# Load steps on petit.txt's 3 boxes. (3.5 7 2) lies on box 3's front face, with box 1's face behind it.
read -r box3X box3Y < <("$probe" 3.5 7 2 | sed -n 2p)
box3=$(pixel "$work/home.xwd" "$box3X" "$box3Y")
shoot() { "$shooter" examples/petit.txt "$work/$1.png" "${@:2}" || abort "boxview-shot ${*:2} a echoue"; }
shoot select1 --select 1
shoot select2 --select 2
shoot select3 --select 3
captionArea=321x18+$captionX+$((captionY - 14))
# expectCaption WHAT REF FILE: the caption area of FILE is that of REF.
expectCaption() {
    [ "$(differingIn "$captionArea" "$2" "$3")" = 0 ] ||
        fail "$1 : la legende de $(basename "$2") attendue, $(differingIn "$captionArea" "$2" "$3") pixels differents"
}
# expectPixel WHAT FILE X Y COLOUR: or, with ! before COLOUR, any other colour.
expectPixel() {
    local got
    got=$(pixel "$2" "$3" "$4")
    if [ "$5" = '!' ]; then
        [ "$got" != "$6" ] || fail "$1 : en ($3, $4) autre chose que $6 attendu"
    else
        [ "$got" = "$5" ] || fail "$1 : $5 attendu en ($3, $4), obtenu $got"
    fi
}
# TODO(--upto) : boxview-shot --upto K is not in this tree yet. Once it is, every step below is also compared
# with it pixel for pixel; until then that check is skipped with a line saying so.
uptoShown=0
expectUpto() {
    if "$shooter" examples/petit.txt "$work/upto$1.png" --upto "$1" 2>/dev/null; then
        uptoShown=1
        [ "$(differing "$work/upto$1.png" "$2")" = 0 ] ||
            fail "etape $1 : l'image de boxview-shot --upto $1 attendue, $(differing "$work/upto$1.png" "$2") pixels differents"
    fi
}
[ "$box3" != "$colour" ] && [ "$box3" != '#FFFFFF' ] || abort "boite 3 attendue en ($box3X, $box3Y), obtenu $box3"
key Prior
expectChange "Page precedente" "$work/home.xwd" "$work/step2.xwd"
expectPixel "Page precedente (boite 3 cachee, la boite 1 derriere)" "$work/step2.xwd" "$box3X" "$box3Y" "$colour"
expectCaption "Page precedente (boite 2 selectionnee)" "$work/select2.png" "$work/step2.xwd"
expectUpto 2 "$work/step2.xwd"
# A click where box 3 stood picks box 1, seen behind it.
moveTo "$box3X" "$box3Y"
xdotool click 1
expectChange "clic sur la boite 3 cachee" "$work/step2.xwd" "$work/step2click.xwd"
expectCaption "clic sur la boite 3 cachee (boite 1 selectionnee)" "$work/select1.png" "$work/step2click.xwd"
moveTo 60 60
key Next
expectSame "Page suivante (image de depart, boite 3 selectionnee)" "$work/select3.png"
key Home
expectChange "Debut" "$work/select3.png" "$work/step0.xwd"
for at in "$box3X $box3Y" "$faceX $faceY"; do
    for c in "$colour" "$box3"; do expectPixel "Debut (aucune boite)" "$work/step0.xwd" $at '!' "$c"; done
done
expectCaption "Debut (aucune selection)" "$work/home.xwd" "$work/step0.xwd"
expectUpto 0 "$work/step0.xwd"
key End
expectSame "Fin (tout le chargement, boite 3 selectionnee)" "$work/select3.png"
[ "$uptoShown" = 1 ] || echo "A FAIRE : boxview-shot --upto absent, etapes non comparees a boxview-shot --upto"

# A left click on box 1 selects it: inverse-colour edges, and a black caption that was not there.
selected() { shot "$1" && [ "$(count "$1" "$inverse")" -gt 20 ]; }
moveTo "$faceX" "$faceY"
xdotool click 1
waitFor selected "$work/selected.xwd" ||
    fail "clic sur la boite 1 : plus de 20 pixels de la couleur inverse $inverse attendus, obtenu $(count "$work/selected.xwd" "$inverse")"
waitFor stable "$work/selected.xwd"
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

# With no font at all, the missing-font line comes once per window, however many frames are drawn.
printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$work/no-fonts.conf"
startViewer FONTCONFIG_FILE="$work/no-fonts.conf"
for n in 1 2; do
    answer examples/petit.txt
    waitWindow "sans police, fenetre $n"
    timeout 10 xdotool windowfocus --sync "$window" && key Right Left Right Left
    sleep 2
    lines=$(grep -o 'probleme pour creer bitmap a partir font window' "$work/out" | wc -l)
    [ "$lines" -eq "$n" ] || fail "sans police : $n ligne(s) \"probleme pour creer bitmap\" attendue(s) apres $n fenetre(s), obtenu $lines"
    [ "$n" -eq 1 ] && closeWindow "sans police, fenetre 1"
done
killedBy TERM 143 "fenetre ouverte"
# SIGINT and SIGTERM at the first prompt, and SIGINT with the window open.
for signal in INT TERM; do
    startViewer
    waitPrompts 1 "avant SIG$signal"
    killedBy "$signal" $((128 + $(kill -l "$signal"))) "a l'invite"
done
startViewer
waitPrompts 1 "avant SIGINT"
answer examples/petit.txt
waitWindow "avant SIGINT"
killedBy INT 130 "fenetre ouverte"
finish
