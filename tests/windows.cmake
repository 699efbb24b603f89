# The tests of the Windows build, run under Wine (the toolchain names it as
# the emulator): the portable tests against the test doubles, the tests of
# the Win32 platform in tests/win32, and shell tests of the built programs.

# GoogleTest from Debian's sources, built with the cross compiler. Its own
# code is not ours to hold to our warnings.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(RIZARODE_GOOGLETEST_SOURCE_DIR /usr/src/googletest
  CACHE PATH "GoogleTest's sources (Debian package googletest)")
add_subdirectory(${RIZARODE_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main gmock gmock_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()

# The tests that run against the test doubles and real files only; the
# tests of the Linux platform, and those that need POSIX calls to set up
# their case, stay in the Linux build.
file(GLOB_RECURSE PORTABLE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
list(FILTER PORTABLE_TESTS EXCLUDE REGEX "/tests/(platform|pdf|pdf_device|e2e|win32)/")
foreach(linux_only
    driver/builtin_printer_driver_test.cpp
    system/private_fonts_test.cpp
    startup/work_directory_test.cpp
    system/registry_test.cpp)
  list(REMOVE_ITEM PORTABLE_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/${linux_only})
endforeach()
file(GLOB_RECURSE WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*_test.cpp)

file(GLOB_RECURSE SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
add_executable(rizarode_tests ${PORTABLE_TESTS} ${WIN32_TESTS} ${SUPPORT_SOURCES})
target_include_directories(rizarode_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(rizarode_tests PRIVATE rizarode_logic rizarode_printer rizarode_win32 gtest gtest_main gmock)
# Wine sees the build machine's root as drive Z:.
target_compile_definitions(rizarode_tests PRIVATE
  RIZARODE_BINARY_DIR="Z:${CMAKE_BINARY_DIR}"
  RIZARODE_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
# One Wine process for the whole set: starting Wine for every test case
# would cost more than the tests.
add_test(NAME rizarode_tests COMMAND rizarode_tests --gtest_brief=1)
set_tests_properties(rizarode_tests PROPERTIES TIMEOUT 600)

# Small programs that tests start as a second process: the portable ones
# of tests/helpers and the Windows ones of tests/win32/helpers.
file(GLOB HELPER_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/helpers/*.cpp)
list(APPEND HELPER_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/helpers/file_opener.cpp)
foreach(helper_source ${HELPER_SOURCES})
  get_filename_component(helper_name ${helper_source} NAME_WE)
  add_executable(${helper_name} ${helper_source})
  target_link_libraries(${helper_name} PRIVATE rizarode_logic rizarode_printer rizarode_win32)
  add_dependencies(rizarode_tests ${helper_name})
endforeach()

# Shell tests of the Windows programs: tests/win32/*_test.sh, run with the
# build directory and the source directory as their arguments.
file(GLOB_RECURSE SHELL_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*_test.sh)
foreach(script ${SHELL_TESTS})
  file(RELATIVE_PATH name ${CMAKE_CURRENT_SOURCE_DIR} ${script})
  add_test(NAME ${name} COMMAND bash ${script} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endforeach()
