# Cross-building the Windows program with Debian's mingw-w64. The posix thread
# variant, because GoogleTest needs std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RIZARODE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RIZARODE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RIZARODE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RIZARODE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RIZARODE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and build steps run the cross-built programs under Wine.
find_program(RIZARODE_WINE NAMES wine wine64)
if(RIZARODE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RIZARODE_WINE})
endif()
