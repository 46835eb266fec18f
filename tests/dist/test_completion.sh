#!/usr/bin/env bash
# test_completion.sh COMPLETION TESSERA_CLI: tessera-cli's bash completion offers, for each
# line typed so far, exactly the words expected.
set -u
completion=$1 program=$2
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir in out
touch list.txt

failures=0
# expect "WORDS TYPED" "EXPECTED, sorted, space separated"; the last typed word is the one
# being completed (empty for a new word).
expect()
{
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_WORDS=("$program" "${COMP_WORDS[@]}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tessera_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//')
    if [[ $got != "$expected" ]]; then
        echo "FAIL: '$line' gave '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
}

expect " " "anim animdata convert diff export info merge patch tile tiledata"
expect "ex" "export"
expect "info " "in out"
expect "info --json " "in out"
expect "--art " "mul uop"
expect "--tiledata h" "high-seas"
expect "tile in " "static terrain"
expect "tile in static " ""
expect "export in " "static terrain"
expect "export in static " "all"
expect "--art uop patch in out " "in list.txt out"
expect "convert in o" "out"
expect "diff in " "in out"
expect "tiledata " "export import"
expect "tiledata export in list.txt " "--kind in out"
expect "tiledata export in list.txt --kind " "land static terrain"
expect "animdata import in " "in list.txt out"

# Every option the program lists is offered after "--".
for option in $("$program" --help | grep -oE '^  (-[a-zA-Z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+'); do
    COMP_WORDS=("$program" "--"); COMP_CWORD=1; COMPREPLY=()
    _tessera_cli
    [[ " ${COMPREPLY[*]} " == *" $option "* ]] || { echo "FAIL: $option is not offered"; failures=$((failures + 1)); }
done

if ((failures)); then
    echo "$failures failed"
    exit 1
fi
echo "completion: all cases passed"
