# Cross-building the 32-bit Windows program with Debian's mingw-w64, for the
# 32-bit Windows that runs a DOS host itself. The posix thread variant, as for
# the 64-bit build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(RIZARODE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${RIZARODE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RIZARODE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RIZARODE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RIZARODE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No emulator: these machines cannot run 32-bit Windows programs under Wine.
