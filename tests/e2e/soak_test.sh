#!/usr/bin/env bash
# Opens and closes the viewer window thirty times in one boxview process and checks its resident memory does not creep up.
set -u

usage='usage : soak_test.sh BOXVIEW CLOSE_WINDOW DOSSIER_DU_PROJET [SANITISE]'
viewer=${1:?$usage}
closer=${2:?$usage}
root=${3:?$usage}
sanitised=${4:-0}   # 1 under AddressSanitizer, whose quarantine keeps freed memory resident
e2eDir=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$e2eDir/common.sh"
trap cleanUp EXIT
cd "$root" || exit 1

kWindows=30
kFirstMeasure=5           # after this many windows, the libraries' one-time allocations are made
kMaxGrowthKb=$((8 * 1024))
kLayout=examples/chargement-complet.txt

residentKb() { awk '/^VmRSS:/ {print $2}' "/proc/$viewerPid/status"; }

startViewer
waitPrompts 1 "au demarrage"
firstKb=
for ((n = 1; n <= kWindows; ++n)); do
    typeAnswer "$kLayout"
    # The viewer draws its first frame before it reads any event, so closing at once still renders.
    waitWindow "fenetre $n"
    closeWindow "fenetre $n"
    waitPrompts "$((n + 1))" "apres la fenetre $n"
    case $n in
    1) echo "VmRSS apres 1 fenetre : $(residentKb) kB" ;;
    "$kFirstMeasure") firstKb=$(residentKb); echo "VmRSS apres $n fenetres : $firstKb kB" ;;
    esac
done
lastKb=$(residentKb)
echo "VmRSS apres $kWindows fenetres : $lastKb kB"
growth=$((lastKb - firstKb))
echo "croissance de la fenetre $kFirstMeasure a la fenetre $kWindows : $growth kB (limite $kMaxGrowthKb kB)"
if [ "$growth" -le "$kMaxGrowthKb" ]; then
    pass
elif [ "$sanitised" = 1 ]; then
    echo "limite non appliquee sous AddressSanitizer"
    pass
else
    fail "memoire residente : au plus $kMaxGrowthKb kB de croissance attendus entre les fenetres $kFirstMeasure et $kWindows, obtenu $growth kB ($firstKb kB -> $lastKb kB)"
fi

endViewer
finish
