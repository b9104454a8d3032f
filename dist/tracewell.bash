# Bash completion for tracewell (needs the bash-completion package for "--map=..." words). The
# options, which of them take a value and the words some values are chosen from are read from the
# program's own --help, the map names after --map from "tracewell WAD --list", the scheme names
# after --scheme from the settings file the program would read.
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

# COMPREPLY: the words of `candidates` (an array name) starting with `prefix` (in any case when a
# third argument is given), each quoted for the shell.
_tracewell_offer() {
  local prefix=$1 word quoted
  local -n candidates=$2
  COMPREPLY=()
  for word in "${candidates[@]}"; do
    if [[ -n ${3-} ]]; then
      [[ -n $word && ${word,,} == "${prefix,,}"* ]] || continue
    else
      [[ -n $word && $word == "$prefix"* ]] || continue
    fi
    printf -v quoted '%q' "$word"
    COMPREPLY+=("$quoted")
  done
}

# The settings file a command line reads: --settings FILE, else the user's own file when it
# exists, else settings.txt beside the program (through its links).
_tracewell_settings() {
  local program=$1 given=$2 config=${XDG_CONFIG_HOME-}
  if [[ -n $given ]]; then
    printf '%s' "$given"
    return
  fi
  [[ $config == /* ]] || config=$HOME/.config
  if [[ -f $config/tracewell/settings.txt ]]; then
    printf '%s' "$config/tracewell/settings.txt"
    return
  fi
  [[ $program == */* ]] || program=$(type -P -- "$program")
  program=$(readlink -f -- "$program") && printf '%s' "${program%/*}/settings.txt"
}

# The scheme names of a settings file and the files it includes, one a line, in the order the
# prompt lists them (the last one first): the scheme_name of each color_scheme node of the
# file's node. Comments (<...>, nested), quotes and includes are read as the tool reads them; a
# key given twice in a node counts with its last value.
_tracewell_schemes() {
  awk '
    function trim(s) { sub(/^[ \t\r\n]+/, "", s); sub(/[ \t\r\n]+$/, "", s); return s }
    function unquote(s) { s = trim(s); if (s ~ /^".*"$/) s = substr(s, 2, length(s) - 2); return s }
    function setting(key, value, folder) {
      key = trim(key); value = unquote(value)
      if (key == "scheme_name") name[level] = value
      else if (key == "include" && ++includes < 64) {
        if (value !~ /^\//) value = folder "/" value
        readfile(value)
      }
    }
    # A file holds one node; an included one sits where its include is, as a child.
    function readfile(path,    text, line, folder, i, c, base, nest, quoted, key, value, have, mode) {
      text = ""
      while ((getline line < path) > 0) text = text line "\n"
      close(path)
      folder = path; sub(/\/[^\/]*$/, "", folder); if (folder == path) folder = "."
      base = level; nest = 0; quoted = 0; key = ""; value = ""; have = 0; mode = "none"
      for (i = 1; i <= length(text); i++) {
        c = substr(text, i, 1)
        if (nest > 0) { if (c == "<") nest++; else if (c == ">") nest--; continue }
        if (quoted) { if (c == "\"") quoted = 0; else value = value c; continue }
        if (c == "<") { nest = 1; continue }
        if (mode == "none") { if (c == "#") { mode = "node"; key = "" }; continue }
        if (c == "\"" && mode == "value") { quoted = 1; continue }
        if (c == "#" && mode == "key") { mode = "node"; key = ""; continue }
        if (c == "[" && mode == "node") {
          kind[++level] = trim(key); name[level] = ""; key = ""; mode = "key"; continue
        }
        if (c == ":" && mode == "key") { mode = "value"; value = ""; continue }
        if (c == ";" || c == "]") {
          if (mode == "value") setting(key, value, folder)
          key = ""; mode = "key"
          if (c == "]") {
            if (level == 2 && kind[level] == "color_scheme" && name[level] != "") names[++count] = name[level]
            if (--level == base) return
          }
          continue
        }
        if (mode == "value") value = value c; else key = key c
      }
      level = base
    }
    BEGIN {
      readfile(ARGV[1])
      for (i = count; i >= 1; i--) print names[i]
    }' "$1" 2>/dev/null
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
  local -a options=() valued=() kinds=()
  local -A choices=()
  # "  -m, --map NAME   ..." names two options taking a value, "  -a, --all   ..." two without.
  # A value's help that says "word: ..." for each of its words ("standard: ...; compact: ...")
  # offers those words; "a comma list of: png, svg" the kinds of a comma list.
  while IFS= read -r line; do
    [[ $line =~ ^\ +(-[A-Za-z],\ )?(--[a-z-]+)(\ [A-Z][A-Za-z]*)?\ \ +(.*)$ ]] || continue
    word=${BASH_REMATCH[1]%, }
    local long=${BASH_REMATCH[2]} help=${BASH_REMATCH[4]}
    options+=(${word:+"$word"} "$long")
    [[ -n ${BASH_REMATCH[3]} ]] || continue
    valued+=(${word:+"$word"} "$long")
    if [[ $help =~ comma\ list\ of:\ (.*)$ ]]; then
      IFS=', ' read -r -a kinds <<<"${BASH_REMATCH[1]}"
      continue
    fi
    local rest=$help listed=
    while [[ $rest =~ (^|;\ )([a-z]+):\ (.*)$ ]]; do
      listed+=" ${BASH_REMATCH[2]}"
      rest=${BASH_REMATCH[3]}
    done
    [[ -n $listed ]] && choices[$long]=${listed# }
  done < <("$program" --help 2>/dev/null)

  local typed
  typed=$(_tracewell_dequote "$cur")
  if [[ " ${valued[*]} " == *" $prev "* ]]; then
    # The WAD: the value of --dump, else the first word on the line that is neither an option nor
    # an option's value. The settings and the detection rule on the line choose the maps listed,
    # as they would when run.
    local wad= settings=
    local -a listing=()
    for ((i = 1; i < cword; i++)); do
      word=${words[i]}
      if [[ " ${valued[*]} " == *" $word "* ]]; then
        if ((i + 1 < cword)); then
          local value
          value=$(_tracewell_dequote "${words[i + 1]}")
          [[ $word == --settings || $word == --detect ]] && listing+=("$word" "$value")
          [[ $word == --settings ]] && settings=$value
          [[ $word == --dump ]] && wad=${value/#\~\//$HOME/}
        fi
        ((i++))
        continue
      fi
      [[ $word == -* ]] && continue
      [[ -z $wad ]] && wad=$(_tracewell_dequote "$word") && wad=${wad/#\~\//$HOME/}
    done
    local long=$prev
    [[ $prev == -c ]] && long=--scheme
    if [[ $long == --scheme ]]; then
      local -a schemes=()
      mapfile -t schemes < <(_tracewell_schemes "$(_tracewell_settings "$program" "$settings")")
      _tracewell_offer "$typed" schemes anycase  # the tool takes a scheme name in any case
      return
    elif [[ $long == --extra ]]; then
      # A comma list: the kinds not yet in it, after what is typed so far.
      # Only letters and commas, so offered as they are (quoting would escape the commas).
      local done=${typed%"${typed##*,}"} kind
      COMPREPLY=()
      [[ $typed =~ ^[A-Za-z,]*$ ]] || return
      for kind in "${kinds[@]}"; do
        [[ ,$done == *",$kind,"* || $done$kind != "$typed"* ]] || COMPREPLY+=("$done$kind")
      done
      return
    elif [[ -n ${choices[$long]-} ]]; then
      local -a words_=()
      read -r -a words_ <<<"${choices[$long]}"
      _tracewell_offer "$typed" words_
      return
    elif [[ $prev == -m || $prev == --map ]]; then
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
