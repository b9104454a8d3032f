# Bash completion for tracewell. The options and which of them take a value are read from the
# program's own --help, the map names after --map from "tracewell WAD --list".

_tracewell() {
  local cur prev words cword split line word i
  # bash-completion's own reading splits "--map=MAP0" into an option and its value.
  if declare -F _init_completion >/dev/null; then
    _init_completion -s || return
  else
    words=("${COMP_WORDS[@]}") cword=$COMP_CWORD cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  fi
  local program=${words[0]/#\~\//$HOME/}
  local -a options=() valued=()
  # "  -m, --map NAME   ..." names two options taking a value, "  -a, --all   ..." two without.
  while IFS= read -r line; do
    [[ $line =~ ^\ +(-[A-Za-z],\ )?(--[a-z-]+)(\ [A-Z][A-Za-z]*)?\ \  ]] || continue
    word=${BASH_REMATCH[1]%, }
    options+=(${word:+"$word"} "${BASH_REMATCH[2]}")
    [[ -n ${BASH_REMATCH[3]} ]] && valued+=(${word:+"$word"} "${BASH_REMATCH[2]}")
  done < <("$program" --help 2>/dev/null)

  if [[ " ${valued[*]} " == *" $prev "* ]]; then
    if [[ $prev == -m || $prev == --map ]]; then
      # The WAD: the first word on the line that is neither an option nor an option's value.
      local wad=
      for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        if [[ " ${valued[*]} " == *" $word "* ]]; then ((i++)); continue; fi
        [[ $word == -* ]] && continue
        wad=${word/#\~\//$HOME/}
        break
      done
      if [[ -n $wad && -f $wad ]]; then
        COMPREPLY=($(compgen -W "ALL $("$program" "$wad" --list 2>/dev/null)" -- "$cur"))
        return
      fi
    fi
  elif [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
    return
  fi
  compopt -o filenames 2>/dev/null
  COMPREPLY=($(compgen -f -- "$cur"))
}

complete -F _tracewell tracewell
