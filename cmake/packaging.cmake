# The Debian package. `make package` configures with CMAKE_INSTALL_PREFIX=/usr, builds, and runs
# cpack, which leaves pagelume_<version>_amd64.deb in the build folder; its contents are what the
# install rules of src/app, src/cli and this file install.

# Every date a package holds (file times, the changelog's) is the last commit's:
# SOURCE_DATE_EPOCH, which string(TIMESTAMP) and cpack's archives follow. One given from outside
# wins.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(PAGELUME_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE PAGELUME_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
  endif()
  if(PAGELUME_SOURCE_DATE_EPOCH)
    set(ENV{SOURCE_DATE_EPOCH} ${PAGELUME_SOURCE_DATE_EPOCH})
  endif()
endif()

set(PAGELUME_PACKAGE_MAINTAINER
    "Pagelume maintainers <maintainers@users.noreply.c-seed-c34ef4b1.example>"
    CACHE STRING "The Maintainer field of the Debian package")

if(NOT WIN32)
  # Debian keeps man pages gzipped; -n leaves the name and time out, so a rebuild gives the same
  # bytes.
  find_program(PAGELUME_GZIP gzip REQUIRED)
  set(pagelume_gzipped)
  foreach(page pagelume.1 pagelume-convert.1)
    set(copy ${CMAKE_BINARY_DIR}/data/${page})
    add_custom_command(
      OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/${page} ${copy}
      COMMAND ${PAGELUME_GZIP} -9nf ${copy}
      DEPENDS ${CMAKE_SOURCE_DIR}/data/${page}
      VERBATIM)
    list(APPEND pagelume_gzipped ${copy}.gz)
    install(FILES ${copy}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  # The Debian changelog of this native package, made from the version and dated by the last
  # commit, so that two builds of one commit agree.
  string(TIMESTAMP pagelume_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(pagelume_changelog ${CMAKE_BINARY_DIR}/data/changelog)
  file(WRITE ${pagelume_changelog}
       "pagelume (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
       "  * Pagelume ${PROJECT_VERSION}.\n\n"
       " -- ${PAGELUME_PACKAGE_MAINTAINER}  ${pagelume_changelog_date}\n")
  add_custom_command(
    OUTPUT ${pagelume_changelog}.gz
    COMMAND ${PAGELUME_GZIP} -9nkf ${pagelume_changelog}
    DEPENDS ${pagelume_changelog}
    VERBATIM)
  list(APPEND pagelume_gzipped ${pagelume_changelog}.gz)
  add_custom_target(pagelume_gzipped_docs ALL DEPENDS ${pagelume_gzipped})
  set(pagelume_doc ${CMAKE_INSTALL_DATADIR}/doc/pagelume)
  install(FILES ${pagelume_changelog}.gz DESTINATION ${pagelume_doc})
  install(FILES ${CMAKE_SOURCE_DIR}/data/debian-copyright DESTINATION ${pagelume_doc}
          RENAME copyright)
  # The licence also as the file of the source tree, beside the notices (lintian only notes
  # that the copyright file holds it already).
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/THIRD-PARTY.txt
          DESTINATION ${pagelume_doc})

  # The man pages and the completion are written by hand: these keep them in step with --help
  # and with the readme's list of settings.
  if(BUILD_TESTING)
    add_test(NAME package.man_page_and_completion_know_every_option
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/check_option_lists.sh
                     $<TARGET_FILE:pagelume-convert> ${CMAKE_SOURCE_DIR}/data/pagelume-convert.1
                     ${CMAKE_SOURCE_DIR}/data/pagelume-convert.bash-completion)
    add_test(NAME package.window_man_page_names_every_setting
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/check_window_man_page.sh
                     ${CMAKE_SOURCE_DIR}/data/read201.txt ${CMAKE_SOURCE_DIR}/data/pagelume.1)
  endif()
endif()


if(WIN32)
  # The Windows download: the converter, the licence, the notices and a short guide in Japanese,
  # in one folder pagelume-<version>-win64 of a zip. The window program needs Qt for Windows,
  # which Debian does not have.
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/THIRD-PARTY.txt
                ${CMAKE_SOURCE_DIR}/data/使い方.txt
          DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME pagelume-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME pagelume)
set(CPACK_PACKAGE_VENDOR "Pagelume maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converts Japanese text files into vertical-writing pages for infoCarry")
# Debian's name for the file: pagelume_2.0.1_amd64.deb.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PAGELUME_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Lines of at most 79 characters: the control file indents each by one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pagelume turns plain Japanese text files (Shift_JIS, UTF-8, EUC-JP and
others; Aozora Bunko texts and the like) into vertical-writing text for the
pocket text viewer infoCarry: pages of rows exactly 40 bytes wide that, read
line by line on the viewer, show the text in columns read top to bottom and
right to left.

The package holds the window program pagelume and the command-line converter
pagelume-convert for scripts and batch work.

日本語のテキストファイル（シフトJIS、青空文庫など）を infoCarry で縦書きに読めるテキストに変換します。")
# The Qt and C++ libraries as dpkg-shlibdeps finds them in the programs; then what the window
# needs without linking it: a font with Japanese glyphs, and Qt's own Japanese texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The release build keeps debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)
# The files go where the build compiled in that it would look for them (the readme's folder).
if(NOT WIN32)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
endif()

# Read by cpack when it runs. A Debian package belongs under /usr; a build configured for
# another prefix (the default /usr/local) would give one that is either out of place or, moved,
# looks for its readme where it is not.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} [[
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package needs a build configured with "
                      "-DCMAKE_INSTALL_PREFIX=/usr (make package does that), not "
                      "${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()
]])
# The archives' file times: the last commit's, also when cpack runs without the variable set.
if(PAGELUME_SOURCE_DATE_EPOCH)
  file(APPEND ${CPACK_PROJECT_CONFIG_FILE}
       "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n"
       "  set(ENV{SOURCE_DATE_EPOCH} ${PAGELUME_SOURCE_DATE_EPOCH})\n"
       "endif()\n")
endif()

# `make package_source` would otherwise pack the build folders and the repository too.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/[.]git/" "/build/" "/build-[^/]*/")

include(CPack)
