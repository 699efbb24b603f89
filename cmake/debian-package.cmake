# What `cmake --install` puts where, and the Debian package CPack makes of it
# (scripts/package-deb.sh). The private face goes into the system's fonts,
# where fontconfig finds it for every user: the printer takes it at the first
# start, and nothing is copied into a user's font directory.

include(GNUInstallDirs)

set(RIZARODE_DEBIAN_DIR ${CMAKE_SOURCE_DIR}/packaging/debian)
set(RIZARODE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/rizarode)

install(TARGETS rizarode rizarode-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The menu entry maker, also in the build directory beside the rizarode it
# starts there.
configure_file(${CMAKE_SOURCE_DIR}/packaging/linux/rizarode-shortcut.in
  ${CMAKE_BINARY_DIR}/rizarode-shortcut @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/rizarode-shortcut DESTINATION ${CMAKE_INSTALL_BINDIR})
# The icon in the theme every desktop looks in, under the name the menu
# entries give.
set(icon_theme ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
foreach(size ${RIZARODE_ICON_SIZES})
  install(FILES ${RIZARODE_ICON_DIR}/rizarode-${size}.png
    DESTINATION ${icon_theme}/${size}x${size}/apps RENAME rizarode.png)
endforeach()
install(FILES ${RIZARODE_ICON_DIR}/rizarode.svg DESTINATION ${icon_theme}/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/VKCOUR.TTF ${CMAKE_BINARY_DIR}/VKCOURBD.TTF
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fonts/truetype/rizarode)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${RIZARODE_DEBIAN_DIR}/copyright
  DESTINATION ${RIZARODE_DOC_DIR})
# README's links lead into docs/, which goes beside it.
file(GLOB RIZARODE_DOCS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md)
install(FILES ${RIZARODE_DOCS} DESTINATION ${RIZARODE_DOC_DIR}/docs)

# Debian keeps man pages and the changelog compressed, without a time stamp
# in the gzip header so that a rebuild gives the same bytes.
find_program(RIZARODE_GZIP gzip REQUIRED)
# The version in them is the project's.
set(compressed "")
foreach(name rizarode.1 rizarode-render.1 rizarode-shortcut.1 changelog)
  set(source ${CMAKE_BINARY_DIR}/packaging/${name})
  configure_file(${RIZARODE_DEBIAN_DIR}/${name}.in ${source} @ONLY)
  set(output ${source}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${RIZARODE_GZIP} -9nkf ${source}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(package_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/rizarode.1.gz
  ${CMAKE_BINARY_DIR}/packaging/rizarode-render.1.gz
  ${CMAKE_BINARY_DIR}/packaging/rizarode-shortcut.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${RIZARODE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rizarode)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "RIZARODE developers <packages@rizarode.example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print utility for the DOS genealogy program VELDRAK")
# CPack indents the lines and marks the empty one.
set(CPACK_PACKAGE_DESCRIPTION
  "rizarode runs beside VELDRAK: it describes the default printer to VELDRAK in
a driver file, starts VELDRAK (natively or under DOSBox), watches its window,
prints every print file that VELDRAK finishes on the default printer (CUPS, or
PDF files in ~/PDF when there is none) and deletes it.

rizarode-render prints a single print file as PDF; rizarode-shortcut makes a
menu entry that starts VELDRAK with rizarode in a given directory.")
# Library dependencies as dpkg-shlibdeps computes them from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dosbox")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package owns only its own directories, not /usr, /usr/bin and the like.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
