# Installing the desktop program: the executable, its icon in the hicolor
# theme, a .desktop entry and its help, as the install component "desktop"
# (the Debian package vellumtide; see VellumtidePackaging.cmake).
include(GNUInstallDirs)

install(TARGETS vellumtide RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
foreach(size 16 32 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vellumtide-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME vellumtide.png
    COMPONENT desktop)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/vellumtide.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/resources/help/vellumtide-help.html
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vellumtide
  COMPONENT desktop)
