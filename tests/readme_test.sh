#!/usr/bin/env bash
# Runs every command shown in README.md and compares what it prints, byte for byte, with the lines shown under it.
# An example is an indented line "    $ COMMAND"; the indented lines after it, up to the next command or to a line
# that is not indented, are its standard output and error together. Run from the project's folder with the
# built tools as arguments: each command runs in a scratch folder that holds examples/ and build/tools/NAME/
# boxview-NAME, so the README's paths work there and the files its examples write go nowhere else. The set-up
# commands (scripts/run.sh, scripts/test.sh) are shown without "$ " and not run: one opens the window, the other
# runs this test.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$PWD/examples" "$work/examples"
for tool in "$@"; do
    name=$(basename "$tool")
    mkdir -p "$work/build/tools/${name#boxview-}" && ln -s "$(realpath "$tool")" "$work/build/tools/${name#boxview-}/$name"
done
failed=0 examples=0 command=
check() {
    [ -n "$command" ] || return 0
    examples=$((examples + 1))
    got=$(cd "$work" && timeout 120 bash -c "$command" </dev/null 2>&1)
    [ "$got" = "$expected" ] || { failed=1; echo "ECHEC : $command : attendu (<), obtenu (>) :"
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got"); }
    command=
}
while IFS= read -r line; do
    if [[ $line == '    $ '* ]]; then
        check
        command=${line#    \$ } expected=
    elif [ -n "$command" ] && [[ $line == '    '?* ]]; then
        expected+=${expected:+$'\n'}${line#    }
    else
        check
    fi
done <README.md
check
echo "README : $examples commandes essayees"
[ "$examples" -gt 0 ] && [ "$failed" -eq 0 ]
