# The one version of everything the project releases: MAJOR.MINOR.RELEASE.BUILD.
# The first three numbers are the project() version of the top-level
# CMakeLists.txt; BUILD is QVT_BUILD_NUMBER, by default the number of commits
# of the checked-out tree (0 outside a git tree). Each number is at most 65535,
# the width of a field of a Windows file version.
#
# Sets QVT_BUILD_NUMBER and QVT_VERSION ("2.2.0.24"), writes version.txt into
# the build folder for the packaging scripts, and generates the source of
# lib/uVersion.h's functions (QVT_VERSION_SOURCE), so that a new build number
# recompiles one file.
set(QVT_BUILD_NUMBER "" CACHE STRING
    "Build number, the fourth part of the version; empty: the number of commits")

set(build "${QVT_BUILD_NUMBER}")
if(build STREQUAL "")
  execute_process(COMMAND git rev-list --count HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE build OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT build MATCHES "^[0-9]+$")
    set(build 0)
  endif()
endif()
foreach(number ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${build})
  if(NOT number MATCHES "^[0-9]+$" OR number GREATER 65535)
    message(FATAL_ERROR "Version number '${number}' is not a whole number from 0 to 65535")
  endif()
endforeach()

# A normal variable over the cache entry: the number the rest of the build uses.
set(QVT_BUILD_NUMBER ${build})
set(QVT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${build})
unset(build)
message(STATUS "Quivertone version ${QVT_VERSION}")

file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/version.txt CONTENT "${QVT_VERSION}\n")
set(QVT_VERSION_SOURCE ${PROJECT_BINARY_DIR}/generated/uVersion.cpp)
configure_file(${CMAKE_CURRENT_LIST_DIR}/uVersion.cpp.in ${QVT_VERSION_SOURCE} @ONLY)
