# bash completion for tessera-cli.
# The commands, their arguments and the options are read from `tessera-cli --help`, so
# that completion offers exactly what the installed program accepts.

_tessera_cli_help()
{
    if [[ -z ${_tessera_cli_help_text-} ]]; then
        _tessera_cli_help_text=$("${1:-tessera-cli}" --help 2>/dev/null)
    fi
    printf '%s\n' "$_tessera_cli_help_text"
}

# The usage lines of the Commands section: "info DIR [--json]", one per line.
_tessera_cli_usages()
{
    _tessera_cli_help "$1" | awk '
        /^Commands:/ { inside = 1; next }
        inside && /^$/ { exit }
        inside && /^  [a-z]/ { sub(/^  /, ""); sub(/  +.*$/, ""); print }'
}

# Every option, with its values where the help names them: "--art mul uop".
_tessera_cli_options()
{
    _tessera_cli_help "$1" | awk '
        /^  (-[a-zA-Z], )?--[a-z]/ {
            line = $0
            sub(/^  (-[a-zA-Z], )?/, "", line)
            split(line, words, " ")
            option = words[1]
            values = ""
            if (words[2] ~ /^<.*\|.*>$/) {
                values = substr(words[2], 2, length(words[2]) - 2)
                gsub(/\|/, " ", values)
            } else if (words[2] ~ /^</ && match(line, /\(([a-z-]+ or )+[a-z-]+\)/)) {
                values = substr(line, RSTART + 1, RLENGTH - 2)
                gsub(/ or /, " ", values)
            }
            print option (words[2] ~ /^</ ? "=" : "") " " values
        }'
}

# What position `index` (1 = the first argument after the command) of a command takes:
# the union, over the command's usage lines, of the word at that position.
_tessera_cli_argument_words()
{
    local command=$1 index=$2 program=$3 usage
    while read -r usage; do
        local words=($usage)
        [[ ${words[0]} == "$command" ]] && printf '%s\n' "${words[index]-}"
    done < <(_tessera_cli_usages "$program")
}

_tessera_cli()
{
    local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]}
    COMPREPLY=()

    local line
    while read -r line; do
        local option=${line%% *} values=${line#* }
        if [[ $option == *= && ${option%=} == "$previous" ]]; then
            [[ -n $values && $values != "$line" ]] && COMPREPLY=($(compgen -W "$values" -- "$current"))
            return 0
        fi
    done < <(_tessera_cli_options "$program")

    if [[ $current == -* ]]; then
        local options
        options=$(_tessera_cli_options "$program" | awk '{ sub(/=$/, "", $1); print $1 }')
        COMPREPLY=($(compgen -W "$options" -- "$current"))
        return 0
    fi

    # The command is the first word that is neither an option nor an option's value.
    local i command="" position=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        local word=${COMP_WORDS[i]}
        if [[ $word == -* ]]; then
            _tessera_cli_options "$program" | grep -q -- "^$word= " && ((i++))
            continue
        fi
        if [[ -z $command ]]; then command=$word; else ((position++)); fi
    done

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$(_tessera_cli_usages "$program" | awk '{ print $1 }' | sort -u)" -- "$current"))
        return 0
    fi

    local kind words=() files=0 directories=0
    while read -r kind; do
        case $kind in
            *DIR*) directories=1 ;;
            [A-Z]*) [[ $kind == ID ]] || files=1 ;;
            \[*) ;;
            ?*) words+=(${kind//|/ }) ;;
        esac
    done < <(_tessera_cli_argument_words "$command" $((position + 1)) "$program")

    COMPREPLY=($(compgen -W "$(printf '%s\n' "${words[@]}" | sort -u)" -- "$current"))
    if ((files)); then
        COMPREPLY+=($(compgen -f -- "$current"))
    elif ((directories)); then
        COMPREPLY+=($(compgen -d -- "$current"))
    fi
    ((files || directories)) && compopt -o filenames 2>/dev/null
    return 0
}

complete -F _tessera_cli tessera-cli
