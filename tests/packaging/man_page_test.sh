#!/usr/bin/env bash
# man_page_test.sh PROGRAM PAGE: the manual page PAGE (roff) documents
# every command and option that PROGRAM's own help lists, each as an item
# of its own, and names no long option that PROGRAM lacks. PROGRAM is
# vellumtide-cli (its commands from --help, their options from
# `help COMMAND`) or the window (its options from --help). groff must
# render the page without a warning.
set -euo pipefail
program=$1
page=$2
source "$(dirname "$0")/help_options.sh"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

warnings=$(LC_ALL=C.UTF-8 groff -t -man -ww -z "$page" 2>&1)
[[ -z $warnings ]] || fail "groff warns about $page: $warnings"
# Plain text, one line per paragraph or item: no overstriking, no
# hyphenation, lines long enough that an item is never broken.
text=$(LC_ALL=C.UTF-8 groff -t -man -Tutf8 -rLL=400n -P-cbou "$page" 2>/dev/null | sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g')
[[ -n $text ]] || fail "groff rendered nothing from $page"

help=$("$program" --help 2>/dev/null)
options=$(help_options <<<"$help")
commands=$(help_commands <<<"$help")
for command in $commands; do
    options+=$'\n'$("$program" help "$command" | help_options)
    # An item of the COMMANDS section: the command at the start of a line.
    grep -Eq "^[[:space:]]+$command( |\$)" <<<"$text" || fail "$page has no item for the command '$command'"
done
options=$(sort -u <<<"$options")
[[ $(wc -l <<<"$options") -ge 3 ]] || fail "$program --help listed too few options: $options"

escape() { sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$1"; }
for option in $options; do
    # An item: the option begins a line, alone or after its short form
    # ("-o, --output MODULE").
    pattern="^[[:space:]]+([^[:space:]]+, )*$(escape "$option")(,| |\$)"
    grep -Eq -- "$pattern" <<<"$text" || fail "$page has no item for the option '$option'"
done

# Nothing stale: each long option the page names is one the program has.
for named in $(grep -Eo -- '--[a-z][a-z-]*[a-z]' <<<"$text" | sort -u); do
    grep -qx -- "$named" <<<"$options" || fail "$page names '$named', which $program does not list"
done

if ((failures > 0)); then
    echo "$failures failure(s) in $page" >&2
    exit 1
fi
echo "$page documents $(wc -l <<<"$options") options${commands:+ and the commands $(echo $commands)}"
