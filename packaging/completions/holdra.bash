# bash completion for holdra
_holdra()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="add list show path rm clear restore lock unlock note check toggle --settings --help --version"
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        [[ $cur == -* ]] || mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$cur")
        return
    fi
    local command=${COMP_WORDS[1]}
    case $command in
        add)
            if [ "$COMP_CWORD" -eq 2 ] && [[ $cur == -* ]]; then
                mapfile -t COMPREPLY < <(compgen -W "--text --" -- "$cur")
            elif [ "${COMP_WORDS[2]}" != --text ]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            fi ;;
        list) [ "${COMP_WORDS[COMP_CWORD-1]}" = --search ] ||
                  mapfile -t COMPREPLY < <(compgen -W "--trash --json --search" -- "$cur") ;;
        show | check) mapfile -t COMPREPLY < <(compgen -W "--json" -- "$cur") ;;
        restore) mapfile -t COMPREPLY < <(compgen -W "--all" -- "$cur") ;;
        --settings) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        *) [ -e "$command" ] && mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
    esac
}
complete -o filenames -F _holdra holdra
