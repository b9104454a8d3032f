#!/usr/bin/env bash
# Every image of every scheme stays byte-identical: each map of the Freedoom WADs at two sizes (one
# wider than tall, one square, so both fit axes) in each scheme of imagesettings.txt, against the
# SHA-256 table imagetable.sha256.
#   imagetable_test.sh TOOL WADFOLDER         compare (status 77 without the WADs)
#   imagetable_test.sh TOOL WADFOLDER --write write the table afresh from TOOL
set -euo pipefail
tool=$1 wads=$2 mode=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
settings="$here/imagesettings.txt" table="$here/imagetable.sha256"
for wad in freedoom1 freedoom2 freedm; do
  [ -f "$wads/$wad.wad" ] || { echo "no $wads/$wad.wad"; exit 77; }
done
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
schemes=$(sed -n 's/^ *scheme_name: *\([^;]*\);.*/\1/p' "$settings")
for wad in freedoom1 freedoom2 freedm; do
  for size in 256x256 1024x768; do
    for scheme in $schemes; do
      mkdir -p "$tmp/$wad/$size/$scheme"
      "$tool" "$wads/$wad.wad" --all -s "$size" -c "$scheme" --settings "$settings" \
        -o "$tmp/$wad/$size/$scheme/%.png" >/dev/null
    done
  done
done
(cd "$tmp" && find . -name '*.png' | LC_ALL=C sort | xargs sha256sum) >"$tmp/table"
if [ "$mode" = --write ]; then
  cp "$tmp/table" "$table"
  echo "wrote $(wc -l <"$table") images to $table"
  exit 0
fi
if ! diff "$table" "$tmp/table" >"$tmp/diff"; then
  echo "FAIL: images differ from $table (< expected, > drawn):"
  head -n 40 "$tmp/diff"
  exit 1
fi
echo "$(wc -l <"$table") images identical"
