#!/usr/bin/env bash
# Runs the real boxview-check on small layout files and checks its output and exit statuses.
set -u

checker=${1:?usage : check_cli_test.sh CHEMIN_DE_BOXVIEW_CHECK}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() { echo "ECHEC : $1"; failed=$((failed + 1)); }

# expectStatus NAME EXPECTED ARGS...: runs the checker and compares its exit status.
expectStatus() {
    local name=$1 expected=$2
    shift 2
    "$checker" "$@" >"$work/out" 2>"$work/err"
    local got=$?
    if [ "$got" -eq "$expected" ]; then
        pass
    else
        fail "$name : statut attendu $expected, obtenu $got ; sortie : $(head -c 300 "$work/out") ; erreurs : $(head -c 300 "$work/err")"
    fi
}

# expectLine NAME FILE LINE: the file holds LINE as a whole line.
expectLine() {
    if grep -qxF -- "$3" "$2"; then
        pass
    else
        fail "$1 : ligne attendue \"$3\", obtenu : $(tr '\n' '|' <"$2")"
    fi
}

printf '10 10 10\n2\n5 5 5 0 0 0\n5 5 5 5 0 0\n' >"$work/clean.txt"
printf '10 10 10\n3\n5 5 5 0 0 0\n5 5 5 4 4 4\n2 2 2 9 0 0\n' >"$work/bad layout.txt"
quoted="$work/it's \"quoted\" plan.txt"
printf '20 30 20\n2\n10 10 10 0 0 0\n5 5 5 8 8 8\n' >"$quoted"
printf '10 10 dix\n0\n' >"$work/refused.txt"

# Exit statuses.
expectStatus "fichier propre" 0 "$work/clean.txt"
expectLine "fichier propre" "$work/out" "aucun probleme"
expectStatus "chevauchement" 1 "$work/clean.txt" "$work/bad layout.txt"
expectLine "chevauchement" "$work/out" "chevauchement des boites 1 et 2 : volume 1"
expectLine "hors du conteneur" "$work/out" "boite 3 hors du conteneur : axe x, cote max"
expectStatus "fichier absent" 2 "$work/clean.txt" "$work/absent.txt" "$work/bad layout.txt"
expectLine "fichier absent" "$work/out" "$work/absent.txt introuvable"
expectStatus "fichier refuse" 2 "$work/refused.txt"
expectStatus "sans argument" 2
expectLine "sans argument" "$work/err" "aucun fichier a verifier ; usage : boxview-check [--json] FICHIER..."
expectStatus "option inconnue" 2 --verbose "$work/clean.txt"
expectLine "option inconnue" "$work/err" "option inconnue : --verbose ; usage : boxview-check [--json] FICHIER..."
[ ! -s "$work/out" ] && pass || fail "option inconnue : rien ne doit etre ecrit sur la sortie"

# JSON: one parsable object a line, refusals kept off the JSON stream.
expectStatus "json" 2 --json "$quoted" "$work/refused.txt" "$work/clean.txt"
if [ -s "$work/err" ] && grep -qF "$work/refused.txt" "$work/err"; then
    pass
else
    fail "json : le refus doit aller sur la sortie d'erreur, obtenu : $(cat "$work/err")"
fi
if python3 - "$work/out" "$quoted" "$work/clean.txt" <<'EOF'
import json, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
objects = [json.loads(line) for line in lines]
assert [o["file"] for o in objects] == sys.argv[2:], [o["file"] for o in objects]
first = objects[0]
expected = {"container": {"dimX": 20, "dimY": 30, "dimZ": 20}, "boxCount": 2,
            "containerVolume": 12000, "boxVolume": 1125,
            "overlaps": [{"a": 1, "b": 2, "volume": 8}], "outside": [], "degenerate": []}
for key, value in expected.items():
    assert first[key] == value, (key, first[key], value)
assert abs(first["utilisation"] - 9.375) < 1e-9, first["utilisation"]
assert objects[1]["overlaps"] == [] and objects[1]["utilisation"] == 25.0, objects[1]
EOF
then
    pass
else
    fail "json : lignes inattendues : $(cat "$work/out")"
fi

# A volume beyond 64 bits is written exactly.
printf '0 10 10\n2\n2147483647 2147483647 2147483647 -2147483648 -2147483648 -2147483648\n2147483647 2147483647 2147483647 -2147483648 -2147483648 -2147483648\n' >"$work/huge.txt"
expectStatus "grands volumes" 1 --json "$work/huge.txt"
if python3 -c '
import json, sys
o = json.loads(open(sys.argv[1]).read())
assert o["boxVolume"] == 2 * (2**31 - 1) ** 3, o["boxVolume"]
assert o["overlaps"] == [{"a": 1, "b": 2, "volume": (2**31 - 1) ** 3}], o["overlaps"]
assert o["utilisation"] is None and o["containerVolume"] == 0, o
' "$work/out"; then
    pass
else
    fail "grands volumes : obtenu $(cat "$work/out")"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
