#!/usr/bin/env bash
# Draws once what the whole-WAD pixel tests read (ctest's fixtures "heavy-table" and "heavy-pixels"), so
# that each picture goes through the encoders once per build however many tests look at it:
#   OUT/table/WAD/SIZE/SCHEME/MAP.png      every Freedoom map at 256x256 and 1024x768 (the one fit
#                                          that is not square) in each scheme of imagesettings.txt
#   OUT/pixels/standard/SCHEME/MAP.png     freedoom2 at 1024x1024 in each delivered scheme,
#   OUT/pixels/standard/SCHEME/MAP.svg     with its SVG,
#   OUT/pixels/compact/SCHEME/MAP.png      and as compact PNG
# heavydraw.sh TOOL WADFOLDER SETTINGS OUT table|pixels [all|first]
#   table, pixels: which of the two to draw (two fixtures, so that the checks of one start while the
#   other is drawn); first: only each WAD's first map (the sanitizer builds)
# Status 77 without the WADs.
set -euo pipefail
tool=$1 wads=$2 delivered=$3 out=$4/$5 part=$5 maps=${6:-all}
here=$(cd "$(dirname "$0")" && pwd)
for wad in freedoom1 freedoom2 freedm; do
  [ -f "$wads/$wad.wad" ] || { echo "no $wads/$wad.wad"; exit 77; }
done
schemesof() { sed -n 's/^ *scheme_name: *\([^;]*\);.*/\1/p' "$1"; }
mapsof() {  # the map option for WAD
  if [ "$maps" = all ]; then echo --all; elif [ "$1" = freedoom1 ]; then echo "-m E1M1"; else echo "-m MAP01"; fi
}
rm -rf "$out" && mkdir -p "$out"
# The drawing runs first into a scratch folder, so a failed run leaves no half fixture behind.
tmp="$out.part" && rm -rf "$tmp" && trap 'rm -rf "$tmp"' EXIT
settings="$here/imagesettings.txt"
if [ "$part" = table ]; then
  for wad in freedoom1 freedoom2 freedm; do
    for size in 256x256 1024x768; do
      for scheme in $(schemesof "$settings"); do
        folder="$tmp/$wad/$size/$scheme" && mkdir -p "$folder"
        # Two runs at a time: a run of small images spends much of its time on one thread.
        while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n; done
        # shellcheck disable=SC2046
        "$tool" "$wads/$wad.wad" $(mapsof $wad) -s "$size" -c "$scheme" --settings "$settings" \
          -o "$folder/%.png" >/dev/null &
      done
    done
  done
  while [ "$(jobs -rp | wc -l)" -gt 0 ]; do wait -n; done
else
  for scheme in $(schemesof "$delivered"); do
    for png in standard compact; do
      folder="$tmp/$png/$scheme" && mkdir -p "$folder"
      extra=() && [ $png = standard ] && extra=(--extra svg)
      # shellcheck disable=SC2046
      "$tool" "$wads/freedoom2.wad" $(mapsof freedoom2) -c "$scheme" -s 1024x1024 -M 16 --png $png \
        --settings "$delivered" -o "$folder/%.png" "${extra[@]}" >/dev/null
    done
  done
fi
rmdir "$out" && mv "$tmp" "$out"
echo "drew $(find "$out" -name '*.png' | wc -l) PNG and $(find "$out" -name '*.svg' | wc -l) SVG files"
