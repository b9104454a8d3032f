// Program-wide tables of the console driver and the WAD path from the command line.
#pragma once

#include <vector>

#include "support/text.h"

namespace tracewell {

// The map format words; a word's position is its format number (wad::DOOM,
// wad::HEXEN, wad::ZDOOM).
extern const std::vector<text> formats;

// The settings-key prefixes of the ten line categories; a prefix's position is
// the category number the renderer uses.
extern const std::vector<text> categoryprefixes;

// The settings file, in the working directory.
extern const text settingspath;

// The WAD named on the command line; the first dialogue uses it once and then
// empties it. Empty when the command line named none.
extern text startwadpath;

}  // namespace tracewell
