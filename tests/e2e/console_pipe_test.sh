#!/usr/bin/env bash
# Pipes answers into the real boxview with no X display and checks every byte it writes back and its exit status.
set -u

viewer=${1:?usage : console_pipe_test.sh CHEMIN_DE_BOXVIEW DOSSIER_DU_PROJET}
root=${2:?usage : console_pipe_test.sh CHEMIN_DE_BOXVIEW DOSSIER_DU_PROJET}
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

kBanner='format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\ndimX dimY dimZ posX posY posZ fragilite de chaque boite\n'
kPrompt='fichier a lire ?\n-->'
kHangGuard=60   # seconds; boxview is killed past this so that a hang fails instead of blocking

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "ECHEC : $1"; failed=$((failed + 1)); }

# runViewer NAME INPUT: feeds INPUT to boxview from the project folder; output in $work/NAME.out.
runViewer() {
    (cd "$root" && printf '%s' "$2" | timeout -k 5 "$kHangGuard" "$viewer" >"$work/$1.out" 2>"$work/$1.err")
    local status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        fail "$1 : boxview ne s'est pas termine a la fin de son entree (arrete de force)"
    elif [ "$status" -ne 0 ]; then
        fail "$1 : statut de sortie attendu 0, obtenu $status ; erreurs : $(head -c 300 "$work/$1.err")"
    else
        pass
    fi
}

# expectBytes NAME FILE: boxview's output is exactly the content of FILE.
expectBytes() {
    if cmp -s "$2" "$work/$1.out"; then
        pass
    else
        fail "$1 : sortie attendue (octets) :
$(od -c "$2")
obtenue :
$(od -c "$work/$1.out")"
    fi
}

# Missing names, one per line and two on one line, then the end of input.
runViewer absents $'absent-1.txt\nabsent-2.txt absent-3.txt\n'
printf "${kBanner}${kPrompt}absent-1.txt introuvable\n${kPrompt}absent-2.txt introuvable\n${kPrompt}absent-3.txt introuvable\n${kPrompt}\n" \
    >"$work/absents.expected"
expectBytes absents "$work/absents.expected"

# No answer at all: the banner, one prompt, and the line ended at the end of input.
runViewer vide ''
printf "${kBanner}${kPrompt}\n" >"$work/vide.expected"
expectBytes vide "$work/vide.expected"

# A layout with one box too many is refused on one line naming the file, then the prompt comes back.
refused="$work/trop-de-boites.txt"
{
    printf '20 10 8\n61\n'
    for ((n = 0; n < 61; ++n)); do printf '1 1 1 0 0 0\n'; done
} >"$refused"
runViewer refuse "$refused"$'\n'
printf "${kBanner}${kPrompt}" >"$work/refuse.head"
printf "${kPrompt}\n" >"$work/refuse.tail"
headSize=$(stat -c %s "$work/refuse.head")
tailSize=$(stat -c %s "$work/refuse.tail")
outSize=$(stat -c %s "$work/refuse.out")
middle=$(head -c "$((outSize - tailSize))" "$work/refuse.out" | tail -c +"$((headSize + 1))"; printf x)
middle=${middle%x}
if cmp -s "$work/refuse.head" <(head -c "$headSize" "$work/refuse.out") &&
    cmp -s "$work/refuse.tail" <(tail -c "$tailSize" "$work/refuse.out") &&
    [ "$outSize" -gt "$((headSize + tailSize))" ] &&
    [ "${middle%%$'\n'*}"$'\n' = "$middle" ] && [[ "$middle" == "$refused : "* ]]; then
    pass
else
    fail "refuse : attendu la banniere, l'invite, une seule ligne commencant par \"$refused : \", l'invite et \"\\n\" ; obtenu :
$(od -c "$work/refuse.out")"
fi

# A good layout with no display: one line saying why, the prompt again, and the end as usual.
for sample in petit.txt chargement-complet.txt vide.txt; do
    name="sans-ecran-${sample%.txt}"
    runViewer "$name" "examples/$sample"$'\n'
    expected="${kBanner}${kPrompt}"
    printf "$expected" >"$work/$name.head"
    headSize=$(stat -c %s "$work/$name.head")
    line=$(tail -c +"$((headSize + 1))" "$work/$name.out" | head -n 1)
    printf "${expected}%s\n${kPrompt}\n" "$line" >"$work/$name.expected"
    if [[ "$line" == "fenetre impossible a ouvrir : "* ]]; then
        expectBytes "$name" "$work/$name.expected"
    else
        fail "$name : ligne attendue commencant par \"fenetre impossible a ouvrir : \", obtenu \"$line\" ; sortie :
$(od -c "$work/$name.out")"
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
