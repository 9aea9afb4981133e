# The project's warning flags, in one place: every target of the project links pagelume_warnings
# (top-level CMakeLists.txt), so every preset and build type compiles with the same warnings.
# CI turns them into errors with PAGELUME_WARNINGS_AS_ERRORS.
option(PAGELUME_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(pagelume_warnings INTERFACE)
target_compile_options(pagelume_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(PAGELUME_WARNINGS_AS_ERRORS)
  target_compile_options(pagelume_warnings INTERFACE -Werror)
endif()
