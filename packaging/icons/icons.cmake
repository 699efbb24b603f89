# The program's icon, made at build time from the shapes in make_icons.py:
# a PNG file for every size of the icon theme, an SVG, the Windows .ico, and
# the PNG files as data for the Linux program. Included by both systems'
# builds; RIZARODE_ICON_DIR names where the files are.

set(RIZARODE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(RIZARODE_ICON_SIZES 16 24 32 48 64 128 256)
# Debian's own Python, as for the private fonts; the standard library suffices.
set(RIZARODE_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with fontTools")

set(script ${CMAKE_SOURCE_DIR}/packaging/icons/make_icons.py)
set(icon_files ${RIZARODE_ICON_DIR}/rizarode.svg ${RIZARODE_ICON_DIR}/rizarode.ico
  ${RIZARODE_ICON_DIR}/program_icon_data.cpp)
foreach(size ${RIZARODE_ICON_SIZES})
  list(APPEND icon_files ${RIZARODE_ICON_DIR}/rizarode-${size}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${RIZARODE_PYTHON} ${script} ${RIZARODE_ICON_DIR} ${RIZARODE_ICON_SIZES}
  DEPENDS ${script}
  COMMENT "Making the program's icon"
  VERBATIM)
add_custom_target(program_icon ALL DEPENDS ${icon_files})
