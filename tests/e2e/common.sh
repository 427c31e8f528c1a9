# Shared steps of the end-to-end scripts: boxview driven through a FIFO, its window, screenshots and pixels.
# Sourced with $viewer (boxview), $closer (close_window) and $probe set as needed; $work is a scratch folder.

kTitle='Affichage des boites en 3D'
kBanner='format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\ndimX dimY dimZ posX posY posZ fragilite de chaque boite\n'
kPrompt='fichier a lire ?\n-->'
failed=0
viewerPid=
work=$(mktemp -d)
trap 'exec 3>&-; [ -n "$viewerPid" ] && kill -9 "$viewerPid" 2>/dev/null; rm -rf "$work"' EXIT

fail() { echo "ECHEC : $1"; failed=$((failed + 1)); }
abort() { fail "$1"; [ -s "$work/err" ] && echo "erreurs de boxview : $(tail -c 300 "$work/err")"; exit 1; }
finish() { echo "$failed echec(s)"; [ "$failed" -eq 0 ]; }

# waitFor COMMAND...: retries every tenth of a second until it succeeds; 1 after $waitLimit s (30 unless set:
# a guard against hangs only).
waitFor() {
    local deadline=$((SECONDS + ${waitLimit:-30}))
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# startViewer [NAME=VALUE...]: starts boxview, with these variables set, reading a FIFO whose write end stays open
# on descriptor 3. SIGINT and SIGTERM reach it with their default action, as from a terminal (a background job of a
# script would otherwise ignore SIGINT).
startViewer() {
    rm -f "$work/in"
    mkfifo "$work/in"
    env --default-signal=INT,TERM "$@" "$viewer" <"$work/in" >"$work/out" 2>"$work/err" &
    viewerPid=$!
    exec 3>"$work/in"
}
answer() { printf '%s\n' "$1" >&3; }

# hasPrompts N: the output so far is exactly the banner and N prompts.
hasPrompts() { cmp -s <(printf "$kBanner"; for ((k = 0; k < $1; ++k)); do printf "$kPrompt"; done) "$work/out"; }
waitPrompts() {
    waitFor hasPrompts "$1" || abort "$2 : attendu la banniere et $1 invites, obtenu : $(od -An -c "$work/out" | tail -3)"
}

# Closes boxview's input: it must end by itself (gone or a zombie of ours) with status 0.
endViewer() {
    exec 3>&-
    waitFor ended || abort "boxview ne s'est pas termine a la fin de son entree"
    wait "$viewerPid"
    local status=$?
    viewerPid=
    [ "$status" -eq 0 ] || fail "statut de sortie 0 attendu, obtenu $status"
}
# killedBy SIGNAL STATUS WHAT: the signal ends boxview within 5 s, and the shell sees STATUS.
killedBy() {
    kill -s "$1" "$viewerPid"
    waitLimit=5 waitFor ended || abort "$3 : boxview encore en vie 5 s apres SIG$1"
    wait "$viewerPid"
    local status=$?
    viewerPid=
    exec 3>&-
    [ "$status" -eq "$2" ] || fail "$3 : statut $2 attendu apres SIG$1, obtenu $status"
}
ended() { [[ "$(awk '{print $3}' "/proc/$viewerPid/stat" 2>/dev/null)" =~ ^Z?$ ]]; }

findWindow() { window=$(xdotool search --onlyvisible --name "^$kTitle\$" 2>/dev/null | head -1); [ -n "$window" ]; }
waitWindow() { waitFor findWindow || abort "$1 : aucune fenetre \"$kTitle\" n'est apparue"; }
closeWindow() {
    "$closer" "$window" || abort "$1 : close_window a echoue pour la fenetre $window"
    waitFor gone || abort "$1 : la fenetre $window est restee ouverte apres WM_DELETE_WINDOW"
}
gone() { ! xwininfo -id "$window" >/dev/null 2>&1; }

hex() { printf '#%02X%02X%02X' "$@"; }
shot() { xwd -silent -id "$window" -out "$1" 2>/dev/null; }
# pixel FILE X Y: the colour as #RRGGBB. count FILE #RRGGBB [WxH+X+Y]: how many pixels have it.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | awk 'NR == 2 {print $3}'; }
count() { convert "$1" ${3:+-crop "$3"} -format %c histogram:info:- | awk -v c="$2" '$3 == c {n += $1} END {print n + 0}'; }
differing() { compare -metric AE "$1" "$2" null: 2>&1; }
# differingIn WxH+X+Y A B: how many pixels of that area differ.
differingIn() { compare -metric AE -extract "$1" "$2" "$3" null: 2>&1; }

# stable FILE: two dumps a tenth of a second apart agree; FILE holds the picture.
stable() { shot "$work/previous.xwd" && sleep 0.1 && shot "$1" && [ "$(differing "$work/previous.xwd" "$1")" = 0 ]; }
frameShown() { stable "$1" && [ "$(pixel "$1" 0 0)" = '#FFFFFF' ]; }
changed() { shot "$2" && [ "$(differing "$1" "$2")" != 0 ] && stable "$2"; }
sameAs() { shot "$2" && [ "$(differing "$1" "$2")" = 0 ]; }

# openWindow LAYOUT FILE: answers LAYOUT and waits for a window and a stable frame on a white background.
openWindow() {
    answer "$1"
    waitWindow "$1"
    waitFor frameShown "$2" || abort "$1 : pas d'image stable a fond blanc dans la fenetre"
}
# expectChange WHAT REF FILE: the picture leaves REF and settles in FILE.
expectChange() { waitFor changed "$2" "$3" || fail "$1 : l'image devait changer, elle est restee identique a $(basename "$2")"; }
# expectSame WHAT REF: the picture comes back to REF exactly.
expectSame() {
    waitFor sameAs "$2" "$work/last.xwd" ||
        fail "$1 : image identique a $(basename "$2") attendue, $(differing "$2" "$work/last.xwd") pixels differents"
}

# Box 1 of petit.txt (6 4 3 at the origin) shows only a strip of its front face y = 4 between boxes 2 and 3;
# (4.5 4 1.5) is the middle of that strip, and (20 10 -5) is where a selected box's caption starts.
probeBox1() {
    { read -r red green blue && read -r faceX faceY && read -r captionX captionY; } < <("$probe" 4.5 4 1.5 20 10 -5) ||
        abort "probe a echoue"
    colour=$(hex "$red" "$green" "$blue")
    inverse=$(hex $((255 - red)) $((255 - green)) $((255 - blue)))
}
expectFace() {
    local got
    got=$(pixel "$1" "$faceX" "$faceY")
    [ "$got" = "$colour" ] || fail "$2 : couleur $colour de la boite 1 attendue en ($faceX, $faceY), obtenu $got"
}
