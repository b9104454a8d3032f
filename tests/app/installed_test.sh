#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under a prefix with a space and runs the installed
# program from another folder through its bin/ link.   installed_test.sh BUILD FREEDOOM2
set -euo pipefail
build=$1 wad=$2
[ -f "$wad" ] || { echo "no $wad"; exit 77; }
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
root="$tmp/dest/opt/tw a" tw="$tmp/dest/opt/tw a/bin/tracewell"
fail() { echo "FAIL: $*"; exit 1; }
DESTDIR="$tmp/dest" cmake --install "$build" --prefix "/opt/tw a" >/dev/null
[ -L "$tw" ] || fail "bin/tracewell is no link"
mkdir "$tmp/work" && cd "$tmp/work"

# The dialogue works in the program's folder, as from build/.
printf '%s\nMAP01\n\n64\n64\n\n\n%%.png\n' "$wad" | "$tw" >/dev/null || true
[ -f "$root/lib/tracewell/MAP01.png" ] && [ ! -e MAP01.png ] || fail "dialogue did not draw beside the program"

# Options draw here, with the user's settings when there are any.
mkdir -p "$tmp/config/tracewell"
sed 's/^\( *default_output_path:\).*/\1 user-%.png;/' "$root/lib/tracewell/settings.txt" >"$tmp/config/tracewell/settings.txt"
[ "$(XDG_CONFIG_HOME="$tmp/config" "$tw" "$wad" -m MAP01 -s 64x64)" = user-MAP01.png ] || fail "per-user settings"
[ "$(XDG_CONFIG_HOME="$tmp/missing" HOME="$tmp" "$tw" "$wad" -m MAP01 -s 64x64)" = MAP01.png ] || fail "delivered settings"
[ -f user-MAP01.png ] && [ -f MAP01.png ] || fail "option mode did not draw where it was started"
: >"$tmp/config/tracewell/settings.txt"
status=0 && err=$(XDG_CONFIG_HOME="$tmp/config" "$tw" "$wad" -a 2>&1) || status=$?
[ $status = 1 ] && [ "$err" = "Couldn't parse settings file \"$tmp/config/tracewell/settings.txt\"." ] || fail "$err"

# The manual page renders and names every option of --help.
page=$(LC_ALL=C MANWIDTH=200 MAN_DISABLE_SECCOMP=1 man -l "$root/share/man/man1/tracewell.1" 2>&1)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES 'EXIT STATUS' EXAMPLES; do
  grep -qx "$section" <<<"$page" || fail "no $section in the manual page"
done
# Both usage lines of --help stand in the synopsis, and nowhere else.
synopsis=$(sed -n '/^SYNOPSIS$/,/^DESCRIPTION$/p' <<<"$page")
while IFS= read -r usage; do
  [ "$(grep -cF -- "$usage" <<<"$synopsis")" = 1 ] && [ "$(grep -cF -- "$usage" <<<"$page")" = 1 ] ||
    fail "usage line \"$usage\" not in the synopsis alone"
done < <("$tw" --help | sed '/^ *-/,$d')
# The help's closing text is a paragraph of its own, not the end of the last option's entry.
grep -q '^ \{1,8\}Long options may be shortened' <<<"$page" || fail "closing text inside an option's entry"
for option in $("$tw" --help | grep -o -- '^ *-[-a-zA-Z, ]*' | grep -o -- '-[-a-zA-Z]*'); do
  grep -q -- "^ *\(-[a-zA-Z], \)\?$option\b" <<<"$page" || fail "$option missing from the manual page"
done

# The completion offers the options and the maps of the WAD on the line.
source "$root/share/bash-completion/completions/tracewell"
COMP_WORDS=("$tw" --sc) COMP_CWORD=1 && _tracewell && [ "${COMPREPLY[*]}" = --scheme ] || fail "option completion"
COMP_WORDS=("$tw" "$wad" -m MAP3) COMP_CWORD=3 && _tracewell && [ "${COMPREPLY[*]}" = "MAP30 MAP31 MAP32" ] ||
  fail "map completion: ${COMPREPLY[*]}"
# Scheme names from the settings beside the program, found through the bin/ link.
COMP_WORDS=("$tw" -c Bl) COMP_CWORD=2 && XDG_CONFIG_HOME="$tmp/missing" _tracewell &&
  [ "${COMPREPLY[*]}" = Blueprint ] || fail "scheme completion: ${COMPREPLY[*]}"

cd "$tmp" && DESTDIR="$tmp/dest" cmake -DPREFIX="/opt/tw a" -P "$build/uninstall.cmake" >/dev/null
[ -z "$(find "$tmp/dest" -type f -o -type l | grep -v '\.png$')" ] || fail "uninstall left files"

# Installed again, the settings edited and the link replaced: the uninstall keeps both and says so.
DESTDIR="$tmp/dest" cmake --install "$build" --prefix "/opt/tw a" >/dev/null
echo '# mine' >>"$root/lib/tracewell/settings.txt"
rm "$tw" && printf '#!/bin/sh\n' >"$tw"
said=$(DESTDIR="$tmp/dest" cmake -DPREFIX="/opt/tw a" -P "$build/uninstall.cmake")
grep -qF -- "-- Kept: $root/lib/tracewell/settings.txt (it differs from the delivered settings.txt)" <<<"$said" &&
  grep -qF -- "-- Kept: $tw (it is not the link the install made)" <<<"$said" || fail "uninstall said: $said"
left=$(cd "$root" && find . -type f -o -type l | grep -v '\.png$' | sort | tr '\n' ' ')
[ "$left" = "./bin/tracewell ./lib/tracewell/settings.txt " ] || fail "uninstall left: $left"
echo PASS
