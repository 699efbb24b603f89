# Fills DEMO_DIR: HOST_PROGRAM as VELDRAK.EXE, NL/VELDRAK.TXT, and the
# private fonts VKCOUR.TTF and VKCOURBD.TTF, which the build makes beside
# rizarode in BUILD_DIR.

file(MAKE_DIRECTORY ${DEMO_DIR}/NL)
file(COPY_FILE ${HOST_PROGRAM} ${DEMO_DIR}/VELDRAK.EXE ONLY_IF_DIFFERENT)
if(NOT EXISTS ${DEMO_DIR}/NL/VELDRAK.TXT)
  file(WRITE ${DEMO_DIR}/NL/VELDRAK.TXT "")
endif()

foreach(font VKCOUR.TTF VKCOURBD.TTF)
  if(EXISTS ${BUILD_DIR}/${font})
    file(COPY_FILE ${BUILD_DIR}/${font} ${DEMO_DIR}/${font} ONLY_IF_DIFFERENT)
  endif()
endforeach()
