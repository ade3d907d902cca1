# What `cmake --install` adds beside the programs, and the two Debian
# packages CPack makes from the install components:
#   cli     -> vellumtide-cli: the command-line tool, its manual page and
#              bash completion (no Qt);
#   desktop -> vellumtide: the window, its manual page, desktop entry, icons
#              and help (see VellumtideDesktop.cmake).
# Each package carries /usr/share/doc/<package>/copyright and
# changelog.Debian.gz. scripts/package.sh builds both and runs lintian.
include(GNUInstallDirs)

set(VT_DEB_PACKAGE_CLI vellumtide-cli)
set(VT_DEB_PACKAGE_DESKTOP vellumtide)
set(VT_DEB_RELEASE 1)
set(VT_DEB_VERSION "${PROJECT_VERSION}-${VT_DEB_RELEASE}")
set(VT_DEB_MAINTAINER "Marrowlane <vellumtide@marrowlane.invalid>")

# Dates in the manual pages and the changelog: SOURCE_DATE_EPOCH when set
# (scripts/package.sh sets it to the last commit's time), so that two builds
# of one commit write the same pages and changelog.
string(TIMESTAMP VT_MAN_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VT_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(VT_PACKAGING_DIR "${PROJECT_BINARY_DIR}/packaging")
set(VT_MAN_DIR "${PROJECT_BINARY_DIR}/docs/man")

# gzip -9n: the best compression, and no file name or time stamp in the
# header, as Debian wants for manual pages and changelogs.
function(vt_gzip target source output)
  add_custom_command(OUTPUT "${output}"
    COMMAND gzip -9n -c "${source}" > "${output}"
    DEPENDS "${source}"
    COMMENT "gzip -9n ${output}")
  add_custom_target(${target} ALL DEPENDS "${output}")
endfunction()

# Manual pages, with the version and date filled in.
set(vt_man_pages vellumtide-cli)
if(VT_BUILD_GUI)
  list(APPEND vt_man_pages vellumtide)
endif()
foreach(page IN LISTS vt_man_pages)
  configure_file("${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in" "${VT_MAN_DIR}/${page}.1" @ONLY)
  vt_gzip(vt_man_${page} "${VT_MAN_DIR}/${page}.1" "${VT_MAN_DIR}/${page}.1.gz")
endforeach()

# One changelog for both packages, since they come from one source.
configure_file("${PROJECT_SOURCE_DIR}/packaging/changelog.in" "${VT_PACKAGING_DIR}/changelog.Debian" @ONLY)
vt_gzip(vt_changelog "${VT_PACKAGING_DIR}/changelog.Debian" "${VT_PACKAGING_DIR}/changelog.Debian.gz")

# vt_install_package_files(COMPONENT PACKAGE PAGE): the manual page, the
# package's copyright and changelog, and its lintian overrides.
function(vt_install_package_files component package page)
  install(FILES "${VT_MAN_DIR}/${page}.1.gz"
    DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
    COMPONENT ${component})
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" "${VT_PACKAGING_DIR}/changelog.Debian.gz"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
    COMPONENT ${component})
  set(VT_PACKAGE ${package})
  configure_file("${PROJECT_SOURCE_DIR}/packaging/lintian-overrides.in"
    "${VT_PACKAGING_DIR}/lintian-overrides/${package}" @ONLY)
  install(FILES "${VT_PACKAGING_DIR}/lintian-overrides/${package}"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
    COMPONENT ${component})
endfunction()

vt_install_package_files(cli ${VT_DEB_PACKAGE_CLI} vellumtide-cli)
install(FILES "${PROJECT_SOURCE_DIR}/resources/completion/vellumtide-cli.bash"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
  RENAME vellumtide-cli
  COMPONENT cli)
if(VT_BUILD_GUI)
  vt_install_package_files(desktop ${VT_DEB_PACKAGE_DESKTOP} vellumtide)
  # The window's help, in /usr/share/doc/vellumtide, registered with doc-base.
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/vellumtide.doc-base"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/doc-base"
    RENAME vellumtide.vellumtide-help
    COMPONENT desktop)
endif()

# The Debian packages.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "vellumtide")
set(CPACK_PACKAGE_VENDOR "Marrowlane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${VT_DEB_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(VT_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL desktop)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VT_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE vellumtide)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VT_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Dependencies from the linked libraries, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The descriptions: the synopsis, then the extended description, in which
# no line may begin with a dot (a control statement there).
set(CPACK_DEBIAN_CLI_PACKAGE_NAME ${VT_DEB_PACKAGE_CLI})
# libcrypto and Expat are loaded at run time, for encrypted files only
# (src/common/shared_library.h), so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libssl3 (>= 3.0.0), libexpat1 (>= 2.0.1)")
set(CPACK_DEBIAN_CLI_DESCRIPTION
"writes a Visual Basic module that re-creates an Access database
vellumtide-cli reads the design of a Jet or ACE (Microsoft Access)
database, an .mdb or .accdb file, and writes a Visual Basic module whose
DAO code re-creates that database from nothing: the file with its
collating order and optional encryption, every table with its fields and
indexes, every stored query with its SQL text, and every relationship.

It lists a database's tables, queries and relationships, prints its design
as a JSON schema file, and builds modules from databases or schema files,
one at a time or in batches, through pipes, with passwords read from
standard input. It needs no display and no Qt libraries.")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME ${VT_DEB_PACKAGE_DESKTOP})
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS
  "${VT_DEB_PACKAGE_CLI} (= ${VT_DEB_VERSION}), qt6-qpa-plugins")
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
"desktop window that writes VB modules re-creating Access databases
Vellumtide reads the design of a Jet or ACE (Microsoft Access) database,
an .mdb or .accdb file, and writes a Visual Basic module whose DAO code
re-creates that database from nothing: the file with its collating order
and optional encryption, every table with its fields and indexes, every
stored query with its SQL text, and every relationship.

This package holds the Qt window: open a database, look over its tables,
queries and relationships, choose the commenting level and what the module
holds, and build it. The command-line tool is in the package vellumtide-cli.")

include(CPack)
