#!/usr/bin/env bash
# Compares boxview-shot pictures and boxview-plan pages, pixel for pixel, with the reference PNGs kept in tests/reference.
# UPDATE=1 writes the references anew; they hold for the Mesa versions listed in MESA only (exit 77: skipped).
set -u
shooter=$1 planner=$2 dir=$(dirname "$0")/reference
mesa=$(dpkg-query -W -f='${Version}' libgl1-mesa-dri 2>/dev/null)
grep -qxF "$mesa" "$dir/MESA" || { echo "references vues justes avec Mesa $(paste -sd, "$dir/MESA"), ici '$mesa'"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
while read -r name args; do
    case $name in
        plan-*) "$planner" $args "$work/plan.pdf" && pdftoppm -r 50 -png -f "${name##*-}" -singlefile "$work/plan.pdf" "$work/$name" ;;
        *) "$shooter" $args "$work/$name.png" ;;
    esac || { echo "ECHEC : $name : $args a echoue"; failed=1; continue; }
    if [ "${UPDATE:-0}" = 1 ]; then cp "$work/$name.png" "$dir/$name.png"; continue; fi
    diff=$(compare -metric AE "$dir/$name.png" "$work/$name.png" null: 2>&1)
    [ "$diff" = 0 ] || { echo "ECHEC : $name ($args) : image de reference attendue, $diff pixels differents"; failed=1; }
done <<'VIEWS'
petit examples/petit.txt
complet-boite-5 examples/chargement-complet.txt --select 5
complet-etape-30 examples/chargement-complet.txt --upto 30
petit-tourne examples/petit.txt --rotx -20 --rotz 35 --angle 1.3 --distance 40 --select 2
petit-dessous examples/petit.txt --rotx 150 --rotz 35
complet-cadre examples/chargement-complet.txt --upto 30 --fit
corriger-problemes examples/a-corriger.txt --problems --fit
plan-1 examples/petit.txt
plan-3 examples/petit.txt
plan-corriger-1 examples/a-corriger.txt
plan-corriger-4 examples/a-corriger.txt
VIEWS
exit "$failed"
