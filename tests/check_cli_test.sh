#!/usr/bin/env bash
# Runs the real boxview-check on small layout files and checks its exit statuses and JSON stream.
set -u

checker=${1:?usage : check_cli_test.sh CHEMIN_DE_BOXVIEW_CHECK}
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
expect "probleme avant un fichier propre" 1 "$work/overlap.txt" "$work/clean.txt"
expect "refus avant un probleme" 2 "$work/absent.txt" "$work/overlap.txt"
grep -qxF "$work/absent.txt introuvable" "$work/out" || fail "texte : refus attendu sur la sortie, obtenu : $(cat "$work/out")"
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

[ "$failed" -eq 0 ] && echo "boxview-check : tous les cas passent"
exit "$failed"
