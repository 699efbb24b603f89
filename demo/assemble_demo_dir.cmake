# Fills DEMO_DIR: HOST_PROGRAM as VELDRAK.EXE, NL/VELDRAK.TXT, and the
# private fonts VKCOUR.TTF and VKCOURBD.TTF wherever the build made them.

file(MAKE_DIRECTORY ${DEMO_DIR}/NL)
file(COPY_FILE ${HOST_PROGRAM} ${DEMO_DIR}/VELDRAK.EXE ONLY_IF_DIFFERENT)
if(NOT EXISTS ${DEMO_DIR}/NL/VELDRAK.TXT)
  file(WRITE ${DEMO_DIR}/NL/VELDRAK.TXT "")
endif()

foreach(font VKCOUR.TTF VKCOURBD.TTF)
  file(GLOB_RECURSE found LIST_DIRECTORIES false ${BUILD_DIR}/${font})
  list(FILTER found EXCLUDE REGEX "/demo-run/")
  list(FILTER found EXCLUDE REGEX "/CMakeFiles/")
  if(found)
    list(GET found 0 source)
    file(COPY_FILE ${source} ${DEMO_DIR}/${font} ONLY_IF_DIFFERENT)
  endif()
endforeach()
