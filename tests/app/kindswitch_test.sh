#!/bin/sh
# A kind of file without a writer must not build: mapfiles.cpp compiles as it is, and fails, naming the
# switch, once filekind.h gains a kind. Usage: kindswitch_test.sh COMPILER SOURCE_DIR
set -u
cxx=$1 src=$2
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
compile() { "$cxx" -std=c++20 -fsyntax-only -I "$work/src" -I "$src/src" "$src/src/app/mapfiles.cpp" 2>"$work/err"; }
if ! compile; then
  echo "mapfiles.cpp does not build as it is:"; cat "$work/err"; exit 1
fi
mkdir -p "$work/src/app"
sed 's/enum class filekind : std::uint8_t { \(.*\) };/enum class filekind : std::uint8_t { \1, further };/' \
  "$src/src/app/filekind.h" >"$work/src/app/filekind.h"
grep -q 'further }' "$work/src/app/filekind.h" || { echo "cannot add a kind to filekind.h"; exit 1; }
if compile; then
  echo "mapfiles.cpp builds with a kind it has no writer for"; exit 1
fi
grep -q "further.*not handled in switch" "$work/err" || { echo "failed for another reason:"; cat "$work/err"; exit 1; }
echo "a kind without a writer fails to build"
