#!/usr/bin/env bash
# Every image of every scheme stays byte-identical: each map of the Freedoom WADs at two sizes (one
# wider than tall, one square, so both fit axes) in each scheme of imagesettings.txt, as heavydraw.sh
# drew them, against the SHA-256 table imagetable.sha256.
#   imagetable_test.sh DRAWN [all|first]   compare; first: only the rows of each WAD's first map
#   imagetable_test.sh DRAWN --write       write the table afresh from a fixture drawn with all maps
set -euo pipefail
drawn=$1/table mode=${2:-all}
table="$(cd "$(dirname "$0")" && pwd)/imagetable.sha256"
[ -d "$drawn" ] || { echo "nothing drawn in $drawn"; exit 1; }
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
(cd "$drawn" && find . -name '*.png' | LC_ALL=C sort | xargs sha256sum) >"$tmp/table"
if [ "$mode" = --write ]; then
  cp "$tmp/table" "$table"
  echo "wrote $(wc -l <"$table") images to $table"
  exit 0
fi
if [ "$mode" = first ]; then
  grep -E '/(E1M1|MAP01)\.png$' "$table" >"$tmp/want"
else
  cp "$table" "$tmp/want"
fi
if ! diff "$tmp/want" "$tmp/table" >"$tmp/diff"; then
  echo "FAIL: images differ from $table (< expected, > drawn):"
  head -n 40 "$tmp/diff"
  exit 1
fi
echo "$(wc -l <"$tmp/want") images identical"
