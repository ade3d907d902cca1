# Installing the desktop program: the executable, its icon in the hicolor
# theme and a .desktop entry, and a Debian package through CPack.
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

set(CPACK_PACKAGE_NAME "vellumtide")
set(CPACK_PACKAGE_VENDOR "Marrowlane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Writes a Visual Basic module whose DAO code re-creates an Access database")
set(CPACK_PACKAGE_CONTACT "Marrowlane <vellumtide@marrowlane.invalid>")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies from the linked libraries, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
