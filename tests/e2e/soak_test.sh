#!/usr/bin/env bash
# Opens and closes the viewer window thirty times in one boxview process and checks its resident memory does not creep up.
set -u
viewer=$1 closer=$2
sanitised=$4 # 1 under AddressSanitizer, whose quarantine keeps freed memory resident
. "$(dirname "$0")/common.sh"
residentKb() { awk '/^VmRSS:/ {print $2}' "/proc/$viewerPid/status"; }

startViewer
waitPrompts 1 "au demarrage"
for ((n = 1; n <= 30; ++n)); do
    answer examples/chargement-complet.txt
    # The first frame is drawn before any event is read, so closing at once still renders.
    waitWindow "fenetre $n"
    closeWindow "fenetre $n"
    waitPrompts $((n + 1)) "apres la fenetre $n"
    # By the fifth window the libraries' one-time allocations are made.
    [ "$n" -eq 5 ] && firstKb=$(residentKb)
done
lastKb=$(residentKb)
growth=$((lastKb - firstKb))
echo "VmRSS apres 5 fenetres : $firstKb kB, apres 30 : $lastKb kB (croissance $growth kB ; limite 8192 kB, sauf sous AddressSanitizer)"
if [ "$growth" -gt 8192 ] && [ "$sanitised" != 1 ]; then
    fail "memoire residente : au plus 8192 kB de croissance attendus entre les fenetres 5 et 30, obtenu $growth kB"
fi
endViewer
finish
