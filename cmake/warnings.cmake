# The project's warning flags, in one place: every target of the project links pagelume_warnings
# (top-level CMakeLists.txt), so every preset and build type compiles with the same warnings.
# CI turns them into errors with PAGELUME_WARNINGS_AS_ERRORS.
option(PAGELUME_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(pagelume_warnings INTERFACE)
target_compile_options(pagelume_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
# GCC 12 at -O3 (the MinGW Release build) reports -Wrestrict inside libstdc++'s own std::string
# code for ordinary concatenations such as "'" + name + "'" (GCC bug 105329), so it is off there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(pagelume_warnings INTERFACE -Wno-restrict)
endif()
if(PAGELUME_WARNINGS_AS_ERRORS)
  target_compile_options(pagelume_warnings INTERFACE -Werror)
endif()
