# bash completion for vellumtide-cli                     -*- shell-script -*-
# Installed as share/bash-completion/completions/vellumtide-cli. Commands,
# each command's options, the values of --comments, directories for
# --output-dir, and file names: databases and schema files (*.mdb, *.accdb,
# *.json) as DATABASE, modules (*.bas) after -o. The option lists follow
# `vellumtide-cli help COMMAND`; tests/packaging/completion_test.sh fails
# when they differ.

# _vellumtide_cli_files CUR EXT...: directories, and the files ending in
# one of EXT in any letter case.
_vellumtide_cli_files() {
    local cur=$1 ext pattern i c
    shift
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -d -- "$cur"))
    for ext in "$@"; do
        pattern=
        for ((i = 0; i < ${#ext}; i++)); do
            c=${ext:i:1}
            pattern+="[${c,}${c^}]"
        done
        COMPREPLY+=($(compgen -f -X "!*.$pattern" -- "$cur"))
    done
}

_vellumtide_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # --option=value: bash splits it at the '='.
    if [[ $cur == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()

    local commands="list schema build help"
    local command= i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            list | schema | build | help)
                command=${COMP_WORDS[i]}
                break
                ;;
        esac
    done

    local database_options="-h --help --password --password-stdin -q --quiet"
    local options
    case $command in
        '')
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "-h --help --version" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            return
            ;;
        help)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "-h --help" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            return
            ;;
        list | schema)
            options=$database_options
            ;;
        build)
            options="$database_options -o --output --output-dir --comments
                     --no-common-code --no-encrypt --full-path --full-design
                     --module-path --name --force --codepage"
            ;;
    esac

    # The value of an option.
    case $prev in
        -o | --output)
            _vellumtide_cli_files "$cur" bas
            return
            ;;
        --output-dir)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        --comments)
            COMPREPLY=($(compgen -W "low high" -- "$cur"))
            return
            ;;
        --password | --module-path | --name | --codepage)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    _vellumtide_cli_files "$cur" mdb accdb json
}
complete -F _vellumtide_cli vellumtide-cli
