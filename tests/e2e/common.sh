# Shared steps of the window scripts: driving boxview through a FIFO, finding and closing its window, screenshots.
# Sourced by the scripts; expects $viewer (boxview), $closer (close_window), $work (a scratch
# directory) and $e2eDir (this folder).

kWindowTitle='Affichage des boites en 3D'
kPython=/usr/bin/python3   # the system interpreter: standard library only
kPollSeconds=30          # how long a wait may last before the script gives up; only guards against hangs
kBanner='format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\ndimX dimY dimZ posX posY posZ fragilite de chaque boite\n'
kPrompt='fichier a lire ?\n-->'

passed=0
failed=0
viewerPid=
window=

pass() { passed=$((passed + 1)); }
fail() { echo "ECHEC : $1"; failed=$((failed + 1)); }

# Stops with a message when something the rest of the script needs did not happen.
abort() {
    echo "ECHEC : $1"
    echo "sortie de boxview jusqu'ici : $(od -c "$work/out" 2>/dev/null | tail -5)"
    echo "erreurs de boxview : $(tail -c 600 "$work/err" 2>/dev/null)"
    exit 1
}

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

# Kills our boxview if it is still there, and drops the scratch directory.
cleanUp() {
    exec 3>&-
    if [ -n "$viewerPid" ] && kill -0 "$viewerPid" 2>/dev/null; then
        kill "$viewerPid" 2>/dev/null
        sleep 0.5
        kill -9 "$viewerPid" 2>/dev/null
    fi
    rm -rf "$work"
}

# waitFor COMMAND...: retries the command every tenth of a second until it succeeds; 1 if it never does.
waitFor() {
    local deadline=$((SECONDS + kPollSeconds))
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# Starts boxview reading from a FIFO whose write end stays open on descriptor 3.
startViewer() {
    mkfifo "$work/in"
    "$viewer" <"$work/in" >"$work/out" 2>"$work/err" &
    viewerPid=$!
    exec 3>"$work/in"
}

# typeAnswer WORDS: one line on boxview's standard input.
typeAnswer() { printf '%s\n' "$1" >&3; }

# The standard output so far is exactly the banner followed by N prompts.
hasPrompts() {
    local expected="$kBanner" k
    for ((k = 0; k < $1; ++k)); do expected+="$kPrompt"; done
    printf "$expected" >"$work/expected-out"
    cmp -s "$work/expected-out" "$work/out"
}

# waitPrompts N WHAT: waits until standard output is the banner and N prompts, or stops the script.
waitPrompts() {
    waitFor hasPrompts "$1" ||
        abort "$2 : attendu la banniere suivie de $1 invites \"fichier a lire ?\\n-->\", obtenu : $(od -c "$work/out" | tail -6)"
}

findWindow() {
    window=$(xdotool search --onlyvisible --name "^${kWindowTitle}\$" 2>/dev/null | head -1)
    [ -n "$window" ]
}

# keycodeOf KEYSYM: the server's keycode for a key name. "xdotool key Control_R" first presses
# Control_L as a modifier, so a right-hand modifier alone must be sent by keycode (xdotool key 105).
keycodeOf() {
    "$kPython" - "$1" <<'PYTHON'
import ctypes, ctypes.util, sys
x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
display = x11.XOpenDisplay(None)
keysym = x11.XStringToKeysym(sys.argv[1].encode())
code = 0
if display and keysym:
    code = x11.XKeysymToKeycode(ctypes.c_void_p(display), ctypes.c_ulong(keysym))
if code == 0:
    sys.exit(f"keycodeOf : pas de touche {sys.argv[1]}")
print(code)
PYTHON
}

# Waits for the viewer window to be mapped and sets $window, or stops the script.
waitWindow() {
    window=
    waitFor findWindow || abort "$1 : aucune fenetre \"$kWindowTitle\" n'est apparue"
}

# shot FILE: dumps the window's own pixels (no border, no screen offset).
shot() { xwd -silent -id "$window" -out "$1" 2>/dev/null; }

# sameImage A B: the two pictures have no differing pixel.
sameImage() { compare -metric AE "$1" "$2" null: >/dev/null 2>&1; }

# differingPixels A B: prints how many pixels differ.
differingPixels() { compare -metric AE "$1" "$2" null: 2>&1 >/dev/null; }

# shotStable FILE: two successive dumps agree; FILE holds the picture.
shotStable() {
    shot "$work/previous.xwd" && sleep 0.1 && shot "$1" && sameImage "$work/previous.xwd" "$1"
}

# The picture is stable and its top-left corner is the white background: a frame has been shown.
frameShown() {
    shotStable "$1" && [ "$("$kPython" "$e2eDir/picture.py" pixel "$1" 0 0)" = "255 255 255" ]
}

# waitFrame FILE WHAT: waits for the first complete frame, or stops the script.
waitFrame() {
    waitFor frameShown "$1" || abort "$2 : pas d'image stable a fond blanc dans la fenetre"
}

differsFrom() { shot "$2" && ! sameImage "$1" "$2"; }
sameAs() { shot "$2" && sameImage "$1" "$2"; }

# waitChange REF FILE: waits until the picture differs from REF and settles; 1 if it never changes.
waitChange() {
    waitFor differsFrom "$1" "$2" && waitFor shotStable "$2"
}

# waitSame REF FILE: waits until the picture equals REF; 1 if it never does (FILE holds the last one).
waitSame() { waitFor sameAs "$1" "$2"; }

# closeWindow WHAT: asks the window to close and waits for it to go away.
closeWindow() {
    "$closer" "$window" || abort "$1 : close_window a echoue pour la fenetre $window"
    waitFor windowGone || abort "$1 : la fenetre $window est restee ouverte apres WM_DELETE_WINDOW"
}

windowGone() { ! xwininfo -id "$window" >/dev/null 2>&1; }

# Closes standard input and checks that boxview ends by itself with status 0.
endViewer() {
    exec 3>&-
    waitFor viewerEnded || abort "boxview ne s'est pas termine apres la fin de son entree"
    wait "$viewerPid"
    local status=$?
    viewerPid=
    if [ "$status" -eq 0 ]; then pass; else fail "statut de sortie attendu 0, obtenu $status"; fi
}

# Gone or a zombie: our own child stays in the process table until we wait for it.
viewerEnded() {
    local state
    state=$(awk '{print $3}' "/proc/$viewerPid/stat" 2>/dev/null)
    [ -z "$state" ] || [ "$state" = Z ]
}
