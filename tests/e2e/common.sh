# Shared steps of the end-to-end scripts: boxview driven through a FIFO, its window under Xvfb, and its pictures.
# Sourced with $viewer (boxview) and $closer (close_window) set as needed; $work is a scratch folder.
kBanner='format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\ndimX dimY dimZ posX posY posZ fragilite de chaque boite\n'
kPrompt='fichier a lire ?\n-->'
failed=0 viewerPid= work=$(mktemp -d)
trap 'exec 3>&-; [ -n "$viewerPid" ] && kill -9 "$viewerPid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "ECHEC : $1"; failed=$((failed + 1)); }
abort() { fail "$1"; echo "fin de la sortie de boxview : $(tail -c 300 "$work/out" "$work/err" 2>/dev/null)"; exit 1; }
finish() { echo "$failed echec(s)"; [ "$failed" -eq 0 ]; }
# waitFor COMMAND...: retries every tenth of a second until it succeeds; 1 after $waitLimit s (20 unless set).
waitFor() { local end=$((SECONDS + ${waitLimit:-20})); until "$@"; do [ "$SECONDS" -ge "$end" ] && return 1; sleep 0.1; done; }

# startViewer [NAME=VALUE...]: boxview with these variables, reading a FIFO held open on descriptor 3, with SIGINT's
# and SIGTERM's default action, as from a terminal (a background job would ignore SIGINT).
startViewer() {
    rm -f "$work/in" && mkfifo "$work/in"
    env --default-signal=INT,TERM "$@" "$viewer" <"$work/in" >"$work/out" 2>"$work/err" &
    viewerPid=$!
    exec 3>"$work/in"
}
answer() { printf '%s\n' "$1" >&3; }
# waitPrompts N WHAT: the output comes to exactly the banner and N prompts.
hasPrompts() { cmp -s <(printf "$kBanner"; for ((k = 0; k < $1; ++k)); do printf "$kPrompt"; done) "$work/out"; }
waitPrompts() { waitFor hasPrompts "$1" || abort "$2 : la banniere et $1 invites attendues, obtenu : $(od -An -c "$work/out" | tail -3)"; }
# killedBy SIGNAL WHAT: the signal ends boxview within 5 s, and the shell sees 128 + its number.
ended() { [[ "$(awk '{print $3}' "/proc/$viewerPid/stat" 2>/dev/null)" =~ ^Z?$ ]]; }
killedBy() {
    kill -s "$1" "$viewerPid" && waitLimit=5 waitFor ended || abort "$2 : boxview encore en vie 5 s apres SIG$1"
    wait "$viewerPid"
    local status=$? want=$((128 + $(kill -l "$1")))
    viewerPid= && exec 3>&-
    [ "$status" -eq "$want" ] || fail "$2 : statut $want attendu apres SIG$1, obtenu $status"
}

findWindow() { window=$(xdotool search --onlyvisible --name '^Affichage des boites en 3D$' 2>/dev/null | head -1); [ -n "$window" ]; }
waitWindow() { waitFor findWindow || abort "$1 : aucune fenetre \"Affichage des boites en 3D\" n'est apparue"; }
closeWindow() { "$closer" "$window" && waitFor eval '! xwininfo -id "$window" >/dev/null 2>&1' || abort "$1 : la fenetre $window est restee ouverte apres WM_DELETE_WINDOW"; }
# sameAs REF [N]: the window shows REF but for N pixels (0 unless given); expectSame WHAT REF: the window comes to show
# REF exactly within 5 s; the run stops at the first that does not.
differing() { compare -metric AE "$1" "$2" null: 2>&1; }
sameAs() { xwd -silent -id "$window" -out "$work/last.xwd" 2>/dev/null && [ "$(differing "$1" "$work/last.xwd")" -le "${2:-0}" ] 2>/dev/null; }
expectSame() {
    waitLimit=5 waitFor sameAs "$2" || abort "$1 : image de $(basename "$2") attendue, $(differing "$2" "$work/last.xwd") pixels differents"
}
