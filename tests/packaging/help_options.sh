# Functions that read a program's own help, sourced by the tests here.

# help_options: the options a help text (on standard input) lists under
# "Options:", one a line: "-o,--output TEXT ..." (CLI11) and
# "-h, --help   Displays ..." (Qt) both give -o/-h and --output/--help.
help_options() {
    local line names in_options=0
    while IFS= read -r line; do
        if [[ $line == Options: ]]; then
            in_options=1
            continue
        fi
        [[ $in_options == 1 ]] || continue
        [[ -n $line && $line != [![:space:]]* ]] || { in_options=0; continue; }
        [[ $line =~ ^[[:space:]]+(-[^[:space:]]*)([[:space:]]+(-[^[:space:]]*))? ]] || continue
        names=${BASH_REMATCH[1]}
        if [[ $names == *, ]]; then
            names+=${BASH_REMATCH[3]}
        fi
        tr ',' '\n' <<<"$names" | sed '/^$/d'
    done
}

# help_commands: the commands a CLI11 help text (on standard input) lists
# under "Subcommands:".
help_commands() {
    sed -n '/^Subcommands:/,/^$/{/^  [a-z]/{s/^  \([a-z][a-z-]*\).*/\1/;p;};}'
}
