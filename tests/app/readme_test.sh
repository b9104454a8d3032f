#!/usr/bin/env bash
# Runs every shell example of the README against the built program.   readme_test.sh PROGRAM README WADFOLDER
#
# The examples are the README's fenced blocks tagged `sh`. Each block runs on its own, in order, with
# `bash -e -o pipefail` in one scratch folder (which is also a git repository) and standard input
# empty. A block whose first line starts with "# not run by the README test:" is skipped. A command
# line ending in "# fails: status N" must end with status N; every other command must succeed. A
# `tracewell` command line in any other code block fails the test: it would be an example left out.
#
# What the examples find there:
# - `tracewell` on PATH is the built program (a link, so it reads the settings beside it);
#   `./build/tracewell` is a copy with the delivered settings, so that the dialogue writes into the
#   scratch folder rather than the build folder.
# - freedoom2.wad and mywad.wad (also in ~/maps) are links to WADFOLDER/freedoom2.wad; /usr/share/...
#   paths are taken as they are (WADFOLDER must be /usr/share/games/doom for those).
# - old.wad holds MAP01 to MAP03 of freedoom2.wad; new.wad is the same with MAP03's first thing moved
#   32 units east. maps.wad is committed twice, as old.wad then as new.wad, so HEAD~1 exists.
# - ~ is a scratch home: ~/downloads/pack.zip holds old.wad; TMPDIR is a scratch folder.
# The dialogue example that names /tmp/paper-%%.png writes there; those two files are removed after.
# Skips (77) without the Freedoom WADs.
set -euo pipefail
program=$(readlink -f "$1") readme=$(readlink -f "$2") wads=$3
[ -f "$wads/freedoom2.wad" ] || { echo "no $wads/freedoom2.wad"; exit 77; }
scratch=$(mktemp -d) && trap 'rm -rf "$scratch" /tmp/paper-MAP01.png /tmp/paper-MAP02.png' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Code blocks: "sh" blocks to run, and a check that no other block holds a tracewell command.
awk -v out="$scratch/blocks" '
  BEGIN { n = 0 }
  /^```/ {
    if (!fence) { fence = 1; runnable = ($0 ~ /^```sh *$/); if (runnable) { n++; file = sprintf("%s.%03d", out, n) } }
    else { fence = 0; if (runnable) close(file) }
    next
  }
  fence && runnable { print > file; next }
  (fence || /^    /) && /^ *(\.\/build\/)?tracewell [^[]/ { print "untagged example at line " NR ": " $0; bad = 1 }
  END { exit bad }' "$readme" || fail "README has shell examples outside sh blocks"

# The scratch folder: the examples run in work/, beside what this script keeps.
mkdir -p "$scratch/work" "$scratch/bin" && cd "$scratch/work"
mkdir -p build home/maps home/downloads tmp
ln -s "$program" "$scratch/bin/tracewell"
cp "$program" build/tracewell && cp "$(dirname "$program")/settings.txt" build/settings.txt
ln -s "$wads/freedoom2.wad" freedoom2.wad && ln -s "$wads/freedoom2.wad" mywad.wad
ln -s "$wads/freedoom2.wad" home/maps/mywad.wad
python3 - "$wads/freedoom2.wad" <<'PY'
import struct, sys, zipfile
data = open(sys.argv[1], 'rb').read()
count, at = struct.unpack_from('<ii', data, 4)
lumps = [struct.unpack_from('<ii8s', data, at + 16 * i) for i in range(count)]
names = [n.rstrip(b'\0') for _, _, n in lumps]
def pwad(lumps):  # (name, bytes) in order
    body, directory = b'', b''
    for name, bytes_ in lumps:
        directory += struct.pack('<ii8s', 12 + len(body), len(bytes_), name)
        body += bytes_
    return b'PWAD' + struct.pack('<ii', len(lumps), 12 + len(body)) + body + directory
first, end = names.index(b'MAP01'), names.index(b'MAP04')
chosen = [(names[i], data[p:p + s]) for i, (p, s, _) in enumerate(lumps[first:end], first)]
open('old.wad', 'wb').write(pwad(chosen))
three = [i for i, (n, _) in enumerate(chosen) if n == b'MAP03'][0]
things = three + 1
name, thing = chosen[things]
x = struct.unpack_from('<h', thing)[0]
chosen[things] = (name, struct.pack('<h', x + 32) + thing[2:])
open('new.wad', 'wb').write(pwad(chosen))
with zipfile.ZipFile('home/downloads/pack.zip', 'w') as z:
    z.write('old.wad', 'pack.wad')
PY
export HOME="$scratch/work/home" TMPDIR="$scratch/work/tmp" PATH="$scratch/bin:$PATH" GIT_PAGER=cat PAGER=cat
export GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@example.org GIT_COMMITTER_NAME=t
export GIT_COMMITTER_EMAIL=t@example.org
unset XDG_CONFIG_HOME
git init -q . && cp old.wad maps.wad && git add maps.wad && git commit -qm old
cp new.wad maps.wad && git commit -qam new

# The blocks.
ran=0
for block in "$scratch"/blocks.*; do
  head -n 1 "$block" | grep -q '^# not run by the README test:' && continue
  script="$scratch/run.sh"
  # "COMMAND   # fails: status N": the command runs with -e off and its status is compared.
  awk '
    match($0, /[ \t]+# fails: status [0-9]+/) {
      want = $0; sub(/.*# fails: status /, "", want); sub(/[^0-9].*/, "", want)
      printf "set +e\n%s\ngot=$?\nset -e\n", substr($0, 1, RSTART - 1)
      printf "[ \"$got\" = %s ] || { echo \"expected status %s, got $got\" >&2; exit 1; }\n", want, want
      next
    }
    { print }' "$block" >"$script"
  if ! (cd "$scratch/work" && bash -e -o pipefail "$script" </dev/null >"$scratch/out" 2>&1); then
    echo "--- block:"; cat "$block"; echo "--- output:"; tail -n 20 "$scratch/out"
    fail "a README example failed"
  fi
  ran=$((ran + 1))
done
[ "$ran" -ge 10 ] || fail "only $ran blocks ran"
echo "PASS: $ran blocks"
