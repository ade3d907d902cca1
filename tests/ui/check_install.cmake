# Installs the desktop component into a scratch prefix and checks that the
# program, its icons, its .desktop entry and its help land where desktops
# look for them.  cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" --component desktop
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(expected
  bin/vellumtide
  share/applications/vellumtide.desktop
  share/icons/hicolor/16x16/apps/vellumtide.png
  share/icons/hicolor/32x32/apps/vellumtide.png
  share/icons/hicolor/48x48/apps/vellumtide.png
  share/icons/hicolor/128x128/apps/vellumtide.png
  share/icons/hicolor/256x256/apps/vellumtide.png
  share/doc/vellumtide/vellumtide-help.html)
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
execute_process(COMMAND test -x "${PREFIX}/bin/vellumtide" RESULT_VARIABLE notExecutable)
if(NOT notExecutable EQUAL 0)
  message(FATAL_ERROR "bin/vellumtide is not executable")
endif()
file(READ "${PREFIX}/share/applications/vellumtide.desktop" entry)
foreach(line "[Desktop Entry]" "Type=Application" "Exec=vellumtide %f" "MimeType=application/vnd.ms-access;application/x-msaccess;" "Icon=vellumtide" "Name=Vellumtide")
  string(FIND "${entry}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the .desktop entry lacks '${line}'")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
