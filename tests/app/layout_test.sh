#!/usr/bin/env bash
# README's "Layout" names every module of src/: each file appears in backticks in that section, by
# its name without the extension (`maprun` for maprun.h and maprun.cpp) or by its whole name
# (`games.h`, `viewer.js`).
#   tests/app/layout_test.sh ROOT
set -euo pipefail
root=$1
layout=$(awk '/^## Layout$/ {on = 1; next} /^## / {on = 0} on' "$root/README.md")
status=0
for file in "$root"/src/*/*.cpp "$root"/src/*/*.h "$root"/src/web/page/*; do
  name=$(basename "$file")
  if ! grep -qF -e "\`${name%.*}\`" -e "\`$name\`" <<<"$layout"; then
    echo "README Layout does not name ${file#"$root"/}"
    status=1
  fi
done
exit $status
