#!/usr/bin/env bash
# Runs the real boxview-check on small layout files and checks its options, exit statuses, failed writes and JSON stream.
set -u

checker=$(realpath "${1:?usage : check_cli_test.sh CHEMIN_DE_BOXVIEW_CHECK}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "ECHEC : $1"; failed=1; }

# expect NAME STATUS ARGS...: runs the checker and compares its exit status.
expect() {
    local name=$1 expected=$2
    shift 2
    "$checker" "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$expected" ] || fail "$name : statut attendu $expected, obtenu $got ; sortie : $(
        head -c 300 "$work/out") ; erreurs : $(head -c 300 "$work/err")"
}

printf '10 10 10\n1\n5 5 5 0 0 0\n' >"$work/clean.txt"
printf '10 10 10\n2\n5 5 5 0 0 0\n5 5 5 4 4 4\n' >"$work/overlap.txt"
quoted="$work/it's \"quoted\" plan.txt"
cp "$work/overlap.txt" "$quoted"
printf '10 10 dix\n0\n' >"$work/refused.txt"

expect "propre" 0 "$work/clean.txt"
expect "entree standard fermee" 0 "$work/clean.txt" <&-
expect "probleme avant un fichier propre" 1 "$work/overlap.txt" "$work/clean.txt"
expect "refus avant un probleme" 2 "$work/absent.txt" "$work/overlap.txt"
grep -qxF "$work/absent.txt introuvable" "$work/out" || fail "texte : refus attendu sur la sortie, obtenu : $(cat "$work/out")"
printf '1 1 1\n1000001\n' >"$work/trop.txt"
expect "un million de boites au plus" 2 "$work/trop.txt"
grep -qF "trop de boites (1000001), 1000000 au maximum" "$work/out" || fail "limite : obtenu $(cat "$work/out")"
expect "sans argument" 2
expect "option inconnue" 2 --verbose "$work/clean.txt"
[ -s "$work/err" ] && [ ! -s "$work/out" ] || fail "option inconnue : message attendu sur les erreurs seulement"

# JSON: one object a line per accepted file, refusals on the error stream only.
expect "json" 2 --json "$quoted" "$work/refused.txt" "$work/clean.txt"
grep -qF "$work/refused.txt" "$work/err" || fail "json : refus attendu sur les erreurs, obtenu : $(cat "$work/err")"
python3 - "$work/out" "$quoted" "$work/clean.txt" <<'EOF' || fail "json : lignes inattendues : $(cat "$work/out")"
import json, sys
objects = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8").read().splitlines()]
assert [o["file"] for o in objects] == sys.argv[2:], objects
assert [len(o["overlaps"]) for o in objects] == [1, 0], objects
EOF

# Support, stability and order: box 2 stands a quarter on box 1, box 3 rests on box 4 loaded after it.
printf '20 20 20\n4\n4 4 4 0 0 0\n4 4 4 3 0 4\n4 4 4 10 10 4\n4 4 4 10 10 0\n' >"$work/physics.txt"
expect "physique" 1 --support=75 --order "$work/physics.txt"
for line in "boite 2 instable : son centre est hors de l'appui" "boite 2 appuyee a 25 % (minimum 75 %)" \
            "boite 3 en l'air : aucun appui" "boite 3 posee sur la boite 4, chargee apres elle"; do
    grep -qxF "$line" "$work/out" || fail "physique : ligne attendue : $line ; obtenu : $(cat "$work/out")"
done
# Without --order the whole load is judged: box 3 stands on box 4.
expect "sans ordre" 1 "$work/physics.txt"
grep -q "boite 3" "$work/out" && fail "sans ordre : boite 3 signalee : $(cat "$work/out")"
expect "--support 7.5" 2 --support 7.5 "$work/clean.txt"
[ "$(wc -l <"$work/err")" -eq 1 ] && [ ! -s "$work/out" ] || fail "--support 7.5 : une ligne d'erreur attendue"

# A degenerate container, a file named -, more boxes than the viewer's table, and --help.
printf '10 0 10\n0\n' >"$work/flat.txt"
expect "conteneur degenere" 1 "$work/flat.txt"
grep -qxF "conteneur degenere (dimension nulle ou negative)" "$work/out" || fail "conteneur degenere : $(cat "$work/out")"
python3 -c 'print("1000 10 10\n100\n" + "".join("1 1 1 %d 0 0\n" % i for i in range(100)))' >"$work/-"
cd "$work" && expect "fichier nomme -" 0 - && cd - >/dev/null
expect "aide" 0 --help
head -n 1 "$work/out" | grep -q "^usage : boxview-check" && [ ! -s "$work/err" ] || fail "aide : $(cat "$work/out")"

# A report that cannot be written is a failure, said on one line.
"$checker" "$work/clean.txt" >/dev/full 2>"$work/err"; got=$?
[ "$got" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "/dev/full : statut $got, erreurs : $(cat "$work/err")"
"$checker" "$work/clean.txt" >&- 2>"$work/err"; got=$?
[ "$got" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "sortie fermee : statut $got, erreurs : $(cat "$work/err")"

[ "$failed" -eq 0 ] && echo "boxview-check : tous les cas passent"
exit "$failed"
