# find_package(GTest) for the Windows cross build: Debian ships GoogleTest built for Linux only,
# so the build compiles it from Debian's sources (package googletest) with the project's own
# compiler and offers the targets the installed package would. The preset points GTest_DIR here.
set(pagelume_googletest_source /usr/src/googletest CACHE PATH "GoogleTest sources to build")
if(NOT EXISTS ${pagelume_googletest_source}/CMakeLists.txt)
  set(GTest_FOUND FALSE)
  set(GTest_NOT_FOUND_MESSAGE
      "no GoogleTest sources in ${pagelume_googletest_source} (Debian package googletest)")
  return()
endif()

if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Nor does it link the project's warning target (link_libraries in the top-level CMakeLists.txt):
  # its sources are not written to those flags, and -Werror in CI would fail on them.
  get_directory_property(pagelume_link_libraries LINK_LIBRARIES)
  set_directory_properties(PROPERTIES LINK_LIBRARIES "")
  add_subdirectory(${pagelume_googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES LINK_LIBRARIES "${pagelume_link_libraries}")
  foreach(library gtest gtest_main gmock gmock_main)
    # GoogleTest's own sources are not held to the project's warning flags.
    set_property(TARGET ${library} PROPERTY COMPILE_OPTIONS -w)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
endif()
set(GTest_FOUND TRUE)
