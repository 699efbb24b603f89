# Cross-building the Windows program with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Tests and build steps run the cross-built programs under Wine.
find_program(RIZARODE_WINE NAMES wine wine64)
if(RIZARODE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RIZARODE_WINE})
endif()
