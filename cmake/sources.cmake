# The program's source files, layer by layer, listed one by one: a new file is added here.
# Shared by the main build (CMakeLists.txt) and the fuzz build (fuzz/CMakeLists.txt).

set(tracewell_support_sources
  src/support/bintree.cpp
  src/support/bytestream.cpp
  src/support/debuglog.cpp
  src/support/jsontext.cpp
  src/support/outputfile.cpp
  src/support/markup.cpp
  src/support/path.cpp
  src/support/process.cpp
  src/support/tempfile.cpp
  src/support/terminal.cpp
  src/support/text.cpp
  src/support/textsink.cpp
  src/support/timestamp.cpp)

set(tracewell_wad_sources
  src/wad/archive.cpp
  src/wad/archivemaps.cpp
  src/wad/binarymap.cpp
  src/wad/map.cpp
  src/wad/mapsource.cpp
  src/wad/udmf.cpp
  src/wad/wad.cpp)

set(tracewell_settings_sources
  src/settings/dictnode.cpp)

set(tracewell_game_sources
  src/game/mapbounds.cpp
  src/game/mapcensus.cpp
  src/game/mapchecks.cpp
  src/game/mapdiff.cpp
  src/game/mapfacts.cpp
  src/game/mapstats.cpp
  src/game/sectoroutlines.cpp
  src/game/specialmeaning.cpp
  src/game/thingtally.cpp)

set(tracewell_render_sources
  src/render/automap.cpp
  src/render/diffscene.cpp
  src/render/compactpng.cpp
  src/render/deflatebands.cpp
  src/render/lineplace.cpp
  src/render/mapfit.cpp
  src/render/draw.cpp
  src/render/pixmap.cpp
  src/render/png.cpp
  src/render/pngchunks.cpp
  src/render/pngsize.cpp
  src/render/scene.cpp
  src/render/schemelook.cpp
  src/render/thingmarkers.cpp
  src/render/wideline.cpp)

set(tracewell_web_sources
  src/web/diffpage.cpp
  src/web/gallerypage.cpp
  src/web/mappage.cpp
  src/web/pageshell.cpp
  src/web/svg.cpp
  src/web/viewerpage.cpp)

set(tracewell_app_sources
  src/app/batchplan.cpp
  src/app/batchrun.cpp
  src/app/checkrun.cpp
  src/app/commandline.cpp
  src/app/commandrun.cpp
  src/app/console.cpp
  src/app/dialogue.cpp
  src/app/diffrecord.cpp
  src/app/diffrun.cpp
  src/app/dumprun.cpp
  src/app/entry.cpp
  src/app/filekind.cpp
  src/app/manifest.cpp
  src/app/mapchoice.cpp
  src/app/numbers.cpp
  src/app/openinput.cpp
  src/app/mapfiles.cpp
  src/app/maprun.cpp
  src/app/outputname.cpp
  src/app/outputrun.cpp
  src/app/report.cpp
  src/app/runend.cpp
  src/app/runsetup.cpp
  src/app/scheme.cpp
  src/app/settingsbinding.cpp)

# The program's entry point, outside the app library so that tests can link the library.
set(tracewell_main_source src/app/main.cpp)
