// The folder a test of the whole tool works in: a settings file, a WAD and an output folder.
#pragma once

#include <filesystem>

#include "testlib/wadbuilder.h"

namespace tracewell::testkit {

// A small settings file: 64 x 48 images with a 4-pixel margin of test.wad's
// maps into out/, and two schemes listed "Plain" then "Red". "Red" draws the
// impassable lines opaque red on opaque black and hides every other line.
inline const char* const testsettings = R"(
#settings[
    default_map_format: Doom;
    default_width: 64;
    default_height: 48;
    default_margin: 4;
    default_input_path: test.wad;
    default_output_path: "out/%.png";
    default_scheme: Red;
    #color_scheme[
        scheme_name: Red;
        background_color: $FF000000;
        impassable_color: $FFFF0000;
        impassable_order: 1;
    ]
    #color_scheme[ scheme_name: Plain; ]
]
)";

// test.wad: MAP01 a 64-unit square room, MAP02 a 128-unit one, then a lump
// named MAPINFO, which is listed as a map but is none.
wadbuilder testwad();

// Fills `folder` (made when missing) with settings.txt (testsettings),
// test.wad (testwad) and an empty out/; with a copy of the program at
// `program`, executable, as `folder`/tracewell when one is given.
void maketoolfolder(const std::filesystem::path& folder, const std::filesystem::path& program = {});

}  // namespace tracewell::testkit
