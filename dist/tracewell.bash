# Bash completion for tracewell. The options and which of them take a value are read from the
# program's own --help, the map names after --map from "tracewell WAD --list".
#
# Map and file names are data: they are never handed to compgen -W or to an unquoted expansion,
# either of which would run a "$(...)" in a map name as a command. They are filtered by prefix
# here and offered quoted, one array element each.

# The word as the shell will read it: quotes removed, backslash escapes undone. Nothing expanded.
_tracewell_dequote() {
  local word=$1 out= c quote=
  local -i i
  for ((i = 0; i < ${#word}; i++)); do
    c=${word:i:1}
    if [[ $quote == "'" ]]; then
      if [[ $c == "'" ]]; then quote=; else out+=$c; fi
    elif [[ $c == '\' ]]; then
      ((i++))
      c=${word:i:1}
      # Inside double quotes a backslash escapes only these characters.
      [[ $quote == '"' && $c != [\$\`\"\\] ]] && out+='\'
      out+=$c
    elif [[ -n $quote && $c == "$quote" ]]; then
      quote=
    elif [[ -z $quote && ($c == "'" || $c == '"') ]]; then
      quote=$c
    else
      out+=$c
    fi
  done
  printf '%s' "$out"
}

# COMPREPLY: the words of `candidates` (an array name) starting with `prefix`, each quoted for the shell.
_tracewell_offer() {
  local prefix=$1 word quoted
  local -n candidates=$2
  COMPREPLY=()
  for word in "${candidates[@]}"; do
    [[ -n $word && $word == "$prefix"* ]] || continue
    printf -v quoted '%q' "$word"
    COMPREPLY+=("$quoted")
  done
}

_tracewell() {
  local cur prev words cword split line word i
  # bash-completion's own reading splits "--map=MAP0" into an option and its value.
  if declare -F _init_completion >/dev/null; then
    _init_completion -s || return
  else
    words=("${COMP_WORDS[@]}") cword=$COMP_CWORD cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  fi
  local program
  program=$(_tracewell_dequote "${words[0]}")
  program=${program/#\~\//$HOME/}
  local -a options=() valued=()
  # "  -m, --map NAME   ..." names two options taking a value, "  -a, --all   ..." two without.
  while IFS= read -r line; do
    [[ $line =~ ^\ +(-[A-Za-z],\ )?(--[a-z-]+)(\ [A-Z][A-Za-z]*)?\ \  ]] || continue
    word=${BASH_REMATCH[1]%, }
    options+=(${word:+"$word"} "${BASH_REMATCH[2]}")
    [[ -n ${BASH_REMATCH[3]} ]] && valued+=(${word:+"$word"} "${BASH_REMATCH[2]}")
  done < <("$program" --help 2>/dev/null)

  local typed
  typed=$(_tracewell_dequote "$cur")
  if [[ " ${valued[*]} " == *" $prev "* ]]; then
    if [[ $prev == -m || $prev == --map ]]; then
      # The WAD: the first word on the line that is neither an option nor an option's value. The
      # settings and the detection rule on the line choose the maps listed, as they would when run.
      local wad=
      local -a listing=()
      for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        if [[ " ${valued[*]} " == *" $word "* ]]; then
          if [[ $word == --settings || $word == --detect ]] && ((i + 1 < cword)); then
            listing+=("$word" "$(_tracewell_dequote "${words[i + 1]}")")
          fi
          ((i++))
          continue
        fi
        [[ $word == -* ]] && continue
        [[ -z $wad ]] && wad=$(_tracewell_dequote "$word") && wad=${wad/#\~\//$HOME/}
      done
      if [[ -n $wad && -f $wad ]]; then
        local -a maps=(ALL)
        mapfile -t -O 1 maps < <("$program" "$wad" "${listing[@]}" --list 2>/dev/null)
        _tracewell_offer "$typed" maps
        return
      fi
    fi
  elif [[ $cur == -* ]]; then
    _tracewell_offer "$typed" options
    return
  fi
  # One element per file name, so that "my map.wad" stays one word; readline quotes them.
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$typed")
}

complete -F _tracewell tracewell
