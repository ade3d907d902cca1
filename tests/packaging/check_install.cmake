# cmake -DBUILD_DIR=... -DPREFIX=... -DGUI=ON|OFF -P check_install.cmake
# Installs everything into a scratch prefix and checks that the programs,
# manual pages, bash completion, copyright and changelog land where Debian
# and desktops look for them, with the modes Debian wants, and that every
# .gz is gzip -n's (no file name, no time stamp) and holds its file.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(executables bin/vellumtide-cli)
set(files
  share/man/man1/vellumtide-cli.1.gz
  share/bash-completion/completions/vellumtide-cli
  share/doc/vellumtide-cli/copyright
  share/doc/vellumtide-cli/changelog.Debian.gz)
if(GUI)
  list(APPEND executables bin/vellumtide)
  list(APPEND files
    share/man/man1/vellumtide.1.gz
    share/applications/vellumtide.desktop
    share/icons/hicolor/48x48/apps/vellumtide.png
    share/doc/vellumtide/copyright
    share/doc/vellumtide/changelog.Debian.gz)
endif()

foreach(path IN LISTS executables files)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# Modes: 0755 for folders and programs, 0644 for the rest.
file(GLOB_RECURSE installed LIST_DIRECTORIES true RELATIVE "${PREFIX}" "${PREFIX}/*")
foreach(path IN LISTS installed)
  execute_process(COMMAND stat -c %a "${PREFIX}/${path}" OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_DIRECTORY "${PREFIX}/${path}" OR path IN_LIST executables)
    set(want 755)
  else()
    set(want 644)
  endif()
  if(NOT mode STREQUAL want)
    message(FATAL_ERROR "${path} has mode ${mode}, not ${want}")
  endif()
endforeach()

# gzip's header: 1f 8b 08, then the flags (no FNAME: 00) and the four bytes
# of the time stamp (00000000).
foreach(path IN LISTS files)
  if(path MATCHES "\\.gz$")
    file(READ "${PREFIX}/${path}" header LIMIT 8 HEX)
    if(NOT header STREQUAL "1f8b080000000000")
      message(FATAL_ERROR "${path} is not gzip -n's: header ${header}")
    endif()
    execute_process(COMMAND gzip -t "${PREFIX}/${path}" RESULT_VARIABLE bad)
    if(bad)
      message(FATAL_ERROR "${path} is not a whole gzip file")
    endif()
  endif()
endforeach()

file(READ "${PREFIX}/share/doc/vellumtide-cli/copyright" copyright)
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")
  message(FATAL_ERROR "the copyright file is not in the machine-readable format")
endif()
file(REMOVE_RECURSE "${PREFIX}")
