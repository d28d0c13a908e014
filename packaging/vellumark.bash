# bash completion for vellumark. The commands, their options, the keys of
# 'set' and 'config' and the values of option lists are read from the
# program's own help, so that they follow the program.

# The command names: the lines of the "commands:" list of 'vellumark help'.
_vellumark_commands() {
    "$1" help 2>/dev/null | awk '/^commands:/ { on = 1; next } on && NF == 0 { exit } on { print $1 }'
}

# The options of a command: every --name in its help, --[no-]name giving both
# forms, and the options of the commands whose "[NAME options]" it takes.
_vellumark_options() {
    local help other
    help=$("$1" help "$2" 2>/dev/null)
    printf '%s\n' "$help" | grep -o -e '--\[no-\][a-z][a-z-]*' -e '--[a-z][a-z-]*' |
        sed -e 's/^--\[no-\]\(.*\)/--\1\n--no-\1/'
    for other in $(printf '%s\n' "$help" | grep -o '\[[a-z]* options\]' | tr -d '[' | cut -d' ' -f1); do
        [[ $other != "$2" ]] && _vellumark_options "$1" "$other"
    done
}

# The placeholder of an option that takes a value ("--output FILE" gives FILE).
_vellumark_option_value() {
    "$1" help "$2" 2>/dev/null | sed -n "s/^ *$3 \([A-Z][A-Z_]*\).*/\1/p; s/.*\[$3 \([a-z|]*\)\].*/\1/p" | head -n 1
}

# The keys of 'set' (from its help) or 'config' (from its settings).
_vellumark_keys() {
    if [[ $2 == set ]]; then
        "$1" help set 2>/dev/null | awk 'on && /^  [a-z]/ { print $1 } /Keys:$/ { on = 1 }'
    else
        "$1" config 2>/dev/null | awk '$2 == "=" { print $1 }'
    fi
}

# The values that a key of 'set' lists in its help ("...: ul, paged, or xml").
_vellumark_key_values() {
    "$1" help set 2>/dev/null | awk -v key="$2" '$1 == key {
        sub(/^ *[a-z-]+ +/, ""); sub(/.*: /, ""); gsub(/,? or /, ", "); gsub(/ *\(.*/, "")
        if ($0 ~ /^[a-z-]+(, [a-z-]+)*$/) { gsub(/,/, ""); print }
        exit }'
}

_vellumark() {
    local cur prev words cword program command placeholder
    _init_completion -n = || return
    program=${words[0]}
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$(_vellumark_commands "$program") help --help" -- "$cur"))
        return
    fi
    command=${words[1]}
    case $command in
    help)
        ((cword == 2)) && COMPREPLY=($(compgen -W "$(_vellumark_commands "$program")" -- "$cur"))
        return
        ;;
    config)
        COMPREPLY=($(compgen -S = -W "$(_vellumark_keys "$program" config)" -- "$cur"))
        compopt -o nospace
        return
        ;;
    esac
    if ((cword == 2)); then
        _filedir bpj
        return
    fi

    if [[ $prev == --* ]]; then
        placeholder=$(_vellumark_option_value "$program" "$command" "$prev")
        case $placeholder in
        "") ;;
        DIR) _filedir -d; return ;;
        FILE | PATH | PAGE_OR_URL) _filedir; return ;;
        TYPE)
            COMPREPLY=($(compgen -W "$(_vellumark_key_values "$program" type)" -- "$cur"))
            return
            ;;
        *'|'*) COMPREPLY=($(compgen -W "${placeholder//|/ }" -- "$cur")); return ;;
        *) return ;;
        esac
    fi

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_vellumark_options "$program" "$command" | sort -u)" -- "$cur"))
    elif [[ $command == set ]]; then
        if [[ $cur == *=* ]]; then
            COMPREPLY=($(compgen -W "$(_vellumark_key_values "$program" "${cur%%=*}")" -- "${cur#*=}"))
        else
            COMPREPLY=($(compgen -S = -W "$(_vellumark_keys "$program" set)" -- "$cur"))
            compopt -o nospace
        fi
    elif ((cword == 3)); then
        # The sub-commands of its usage lines ("vellumark target PROJECT add ...").
        COMPREPLY=($(compgen -W "$("$program" help "$command" 2>/dev/null |
            sed -n "s/^.*vellumark $command PROJECT \([a-z][a-z]*\).*/\1/p")" -- "$cur"))
    fi
}
complete -F _vellumark vellumark
