# Cross-building the 32-bit Windows program, for the 32-bit Windows that
# runs a DOS host itself. No emulator: these machines cannot run 32-bit
# Windows programs under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
