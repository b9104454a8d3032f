# Installing and packaging: the program and its delivered settings in lib/tracewell (the program
# finds both through its own folder), bin/tracewell a relative link to it, the manual page and
# the bash completion. Every installed file goes through tracewell_install, so that the
# uninstall script (make uninstall) removes exactly these.

# The manual page, made from the built program's --help.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tracewell.1
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-manpage $<TARGET_FILE:tracewell>
          ${CMAKE_SOURCE_DIR}/dist/tracewell.1.in ${CMAKE_BINARY_DIR}/tracewell.1
  DEPENDS tracewell ${CMAKE_SOURCE_DIR}/scripts/make-manpage ${CMAKE_SOURCE_DIR}/dist/tracewell.1.in
  VERBATIM)
add_custom_target(manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/tracewell.1)

# A relative link works under any prefix, DESTDIR and package root. The uninstall removes only this link.
set(tracewell_link ../lib/tracewell/tracewell)
file(CREATE_LINK ${tracewell_link} ${CMAKE_BINARY_DIR}/bin-link SYMBOLIC)

set(tracewell_installed)
# kind: TARGETS or FILES; installs `source` into `folder` under the prefix as `name`.
macro(tracewell_install kind source folder name)
  if(${kind} STREQUAL TARGETS)
    install(TARGETS ${source} RUNTIME DESTINATION ${folder})
  else()
    install(FILES ${source} DESTINATION ${folder} RENAME ${name})
  endif()
  list(APPEND tracewell_installed ${folder}/${name})
endmacro()

tracewell_install(TARGETS tracewell lib/tracewell tracewell)
tracewell_install(FILES ${CMAKE_SOURCE_DIR}/settings.txt lib/tracewell settings.txt)
tracewell_install(FILES ${CMAKE_BINARY_DIR}/bin-link bin tracewell)
tracewell_install(FILES ${CMAKE_BINARY_DIR}/tracewell.1 share/man/man1 tracewell.1)
tracewell_install(FILES ${CMAKE_SOURCE_DIR}/dist/tracewell.bash share/bash-completion/completions tracewell)
configure_file(${CMAKE_SOURCE_DIR}/cmake/uninstall.cmake.in ${CMAKE_BINARY_DIR}/uninstall.cmake @ONLY)

# The Debian package (make deb): installs under /usr; dpkg-shlibdeps derives the library dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tracewell)
set(CPACK_PACKAGE_CONTACT "Tracewell developers <tracewell@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws DOOM-engine WAD maps as automap-style PNG images")
set(CPACK_PACKAGE_DESCRIPTION
    "Tracewell reads IWADs, PWADs and ZIP archives or PK3s of WADs whose maps use the Doom, Hexen or UDMF layout, and writes one PNG image per map, drawn like the game's automap.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS freedoom)
include(CPack)
