# Install rules and the Debian package (included by the top-level CMakeLists.txt).
#   cmake --install build --prefix P   lays the game out under P
#   cd build && cpack -G DEB           makes tavo_VERSION_ARCH.deb (scripts/package.sh does it
#                                      from a fresh clone)

install(TARGETS tavo tavo-levelcheck RUNTIME DESTINATION ${TAVO_INSTALL_GAMESDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources ${PROJECT_SOURCE_DIR}/shaders
        DESTINATION ${TAVO_INSTALL_DATADIR})

install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavo.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
foreach(size 256 48)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/tavo_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps RENAME tavo.png)
endforeach()

# Manual pages go compressed, as Debian wants them; -n keeps the archive free of time stamps.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(man_pages)
foreach(page tavo.6 tavo-levelcheck.6)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
                     COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_CURRENT_LIST_DIR}/${page} > ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz
                     DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${page} VERBATIM)
  list(APPEND man_pages ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(tavo_manual_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# Debian's documentation folder is named after the package; the licence is its copyright file.
# Its README is the players' one: the repository's README.md is for developers.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/README.player.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavo
        RENAME README.md)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavo RENAME copyright)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavo)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog
     "tavo (${PROJECT_VERSION}) unstable; urgency=low\n\n"
     "  * First package: the game in /usr/games, its content in /usr/share/games/tavo.\n\n"
     " -- Tavo developers <maintainers@users.noreply.c-seed-3a29ac76.example>  Mon, 01 Jan 2024 00:00:00 +0000\n")
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
                   COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(tavo_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D platform game: a chocolate figure against the sun")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tavo_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tavo developers <maintainers@users.noreply.c-seed-3a29ac76.example>")
# Depends from the programs' shared libraries, as dpkg-shlibdeps finds them, never a hand-made list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The long description (CPack puts the summary first and indents these lines).
set(CPACK_PACKAGE_DESCRIPTION "Tavo is a single-player 3D game. You steer a small chocolate figure through
sunlit levels: sunlight melts it, shade protects it, milk heals it and
umbrellas shield it for a while. Shove crates around with your push box to
make shade where there is none, and walk into the level's end to reach the
next one. Plays with keyboard and mouse or a gamepad.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
