# What the Windows builds of every processor share: Debian's mingw-w64 in
# its posix thread variant (GoogleTest needs std::thread and std::mutex),
# and libraries and headers taken from the cross toolchain only. The file
# that includes this one sets CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(RIZARODE_MINGW_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${RIZARODE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RIZARODE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RIZARODE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RIZARODE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
