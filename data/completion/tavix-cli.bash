# bash completion for tavix-cli
_tavix_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="plan rename edit undo history describe info presets"
    local step_options="--rules --step --preset"
    local file_options="--files-from -0 --sort --reverse --per-folder --date-source --no-keep-extension"

    # The command is the first word after the program that isn't an option.
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --rules | --files-from | --journal | --map)
            _filedir
            return
            ;;
        --sort)
            COMPREPLY=($(compgen -W "name date size created taken" -- "$cur"))
            return
            ;;
        --date-source)
            COMPREPLY=($(compgen -W "modified taken" -- "$cur"))
            return
            ;;
        --preset)
            _tavix_cli_presets
            return
            ;;
        --step)
            COMPREPLY=($(compgen -W "findReplace addText removeText changeCase sequence \
                dateStamp removeCharacters collapseSpaces crop insertAt truncate \
                romanNumeral letterSequence imageDimensions parentFolder" -- "$cur"))
            return
            ;;
    esac

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local options=""
    case $command in
        plan) options="$step_options $file_options --map --chains --json" ;;
        rename) options="$step_options $file_options --map --chains --json --journal --no-journal" ;;
        edit) options="$file_options --chains --yes --journal --no-journal" ;;
        undo) options="--last --json" ;;
        history) options="--json" ;;
        describe) options="$step_options --json" ;;
        info) options="--json" ;;
        presets)
            # presets [list | show NAME | save NAME STEPS | delete NAME]
            local action="" j
            for ((j = i + 1; j < cword; j++)); do
                [[ ${words[j]} != -* ]] && { action=${words[j]}; break; }
            done
            case $action in
                "")
                    COMPREPLY=($(compgen -W "list show save delete --json" -- "$cur"))
                    ;;
                show | delete)
                    [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--json" -- "$cur")) \
                        || _tavix_cli_presets
                    ;;
                save)
                    COMPREPLY=($(compgen -W "$step_options --force --json" -- "$cur"))
                    ;;
                *)
                    COMPREPLY=($(compgen -W "--json" -- "$cur"))
                    ;;
            esac
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == undo ]]; then
        _filedir json
    else
        _filedir
    fi
}

# The names of the saved presets.
_tavix_cli_presets() {
    local folder=${XDG_CONFIG_HOME:-$HOME/.config}/tavix/presets
    local names=() file
    for file in "$folder"/*.json; do
        [[ -e $file ]] || continue
        file=${file##*/}
        names+=("${file%.json}")
    done
    COMPREPLY=($(compgen -W "${names[*]}" -- "$cur"))
}

complete -F _tavix_cli tavix-cli
