#!/usr/bin/env bash
# completion_test.sh PROGRAM COMPLETION: sources the bash completion for
# vellumtide-cli and completes command lines with it: command names, each
# command's options (which must be exactly those `PROGRAM help COMMAND`
# lists), option values, and file names by kind in a scratch folder.
set -uo pipefail
program=$1
completion=$2
source "$(dirname "$0")/help_options.sh"
# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot source $completion" >&2; exit 1; }

failures=0
# expect "WORD..." "EXPECTED...": completing the last WORD gives exactly
# EXPECTED, in any order.
expect() {
    local -a words
    read -r -a words <<<"$1"
    [[ $1 == *' ' ]] && words+=("")
    COMP_WORDS=("${words[@]}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _vellumtide_cli
    local got want
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ')
    want=$(printf '%s\n' $2 | sed '/^$/d' | sort | tr '\n' ' ')
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$1' completes to [$got], expected [$want]" >&2
        failures=$((failures + 1))
    fi
}

[[ $(complete -p vellumtide-cli) == *"-F _vellumtide_cli"* ]] || {
    echo "FAIL: no completion registered for vellumtide-cli" >&2
    failures=$((failures + 1))
}

# Commands, and the options of each as the program's help lists them.
commands=$("$program" --help | help_commands)
expect "vellumtide-cli " "$commands"
expect "vellumtide-cli bu" "build"
expect "vellumtide-cli s" "schema"
expect "vellumtide-cli help " "$commands"
expect "vellumtide-cli -" "$("$program" --help | help_options)"
for command in $commands; do
    options=$("$program" help "$command" | help_options)
    [[ -n $options ]] || { echo "FAIL: '$program help $command' lists no options" >&2; failures=$((failures + 1)); }
    expect "vellumtide-cli $command -" "$options"
done
expect "vellumtide-cli build a.mdb --full" "--full-design --full-path"
expect "vellumtide-cli -q build a.mdb --no-" "--no-common-code --no-encrypt"

# Option values.
expect "vellumtide-cli build a.mdb --comments " "low high"
expect "vellumtide-cli build a.mdb --comments = h" "high"
expect "vellumtide-cli build a.mdb --name " ""
expect "vellumtide-cli build a.mdb --password " ""

# File names: databases and schema files as DATABASE, modules after -o,
# folders for --output-dir; folders always, to go down into.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir Data
touch Orders.mdb Sales.ACCDB design.json Orders.bas notes.txt Data/Old.mdb
expect "vellumtide-cli build " "Data Orders.mdb Sales.ACCDB design.json"
expect "vellumtide-cli list O" "Orders.mdb"
expect "vellumtide-cli schema Data/" "Data/Old.mdb"
expect "vellumtide-cli build Orders.mdb -o " "Data Orders.bas"
expect "vellumtide-cli build Orders.mdb --output " "Data Orders.bas"
expect "vellumtide-cli build Orders.mdb --output-dir " "Data"

if ((failures > 0)); then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "completion: all cases pass"
