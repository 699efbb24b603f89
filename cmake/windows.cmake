# The Windows program: the same logic on the Win32 platform, linked statically
# so that it needs nothing but Windows' own DLLs.

add_link_options(-static -static-libgcc -static-libstdc++)

# The real machine on Windows.
rizarode_layer(rizarode_win32 platform/win32 LINKS rizarode_platform rizarode_printer
  rizarode_dos_host
  user32 gdi32 winspool advapi32 shell32 version Threads::Threads)
target_include_directories(rizarode_win32 PRIVATE ${CMAKE_BINARY_DIR}/generated)
# The "A" functions take the program's 8-bit texts as they are; WINVER 0x0601
# (Windows 7) names everything the platform calls.
target_compile_definitions(rizarode_win32 PUBLIC
  WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

include(${CMAKE_SOURCE_DIR}/packaging/icons/icons.cmake)
configure_file(${CMAKE_SOURCE_DIR}/src/rizarode.manifest.in
  ${CMAKE_BINARY_DIR}/generated/rizarode.manifest @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/rizarode.rc.in ${CMAKE_BINARY_DIR}/generated/rizarode.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/rizarode.rc PROPERTIES OBJECT_DEPENDS
  "${RIZARODE_ICON_DIR}/rizarode.ico;${CMAKE_BINARY_DIR}/generated/rizarode.manifest")
# A window program: no console window opens beside it.
add_executable(rizarode WIN32 src/win32_main.cpp ${CMAKE_BINARY_DIR}/generated/rizarode.rc)
target_link_libraries(rizarode PRIVATE rizarode_logic rizarode_win32)
# The release that users copy carries no symbols.
target_link_options(rizarode PRIVATE $<$<CONFIG:Release>:-s>)

add_subdirectory(fonts)
if(EXISTS ${CMAKE_SOURCE_DIR}/demo/win32/CMakeLists.txt)
  add_subdirectory(demo/win32)
endif()

# The installer (scripts/package-windows.sh): made with Debian's makensis
# when it is there, not part of the default build.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/rizarode_version.nsh
  CONTENT "!define RIZARODE_VERSION \"@PROJECT_VERSION@\"\n" @ONLY)
find_program(RIZARODE_MAKENSIS makensis)
if(RIZARODE_MAKENSIS)
  # With DOSBox for Windows, and its source beside the installer.
  set(RIZARODE_INSTALLER ${CMAKE_BINARY_DIR}/RIZARODE-${PROJECT_VERSION}-setup.exe)
  set(script ${CMAKE_SOURCE_DIR}/packaging/windows/rizarode.nsi)
  set(package ${CMAKE_SOURCE_DIR}/scripts/package-windows.sh)
  add_custom_command(OUTPUT ${RIZARODE_INSTALLER}
      ${CMAKE_BINARY_DIR}/RIZARODE-${PROJECT_VERSION}-DOSBox-source.tar
    COMMAND bash ${package} --in-build ${CMAKE_BINARY_DIR}
    DEPENDS ${script} ${package} ${CMAKE_SOURCE_DIR}/scripts/build-dosbox-windows.sh rizarode
      ${CMAKE_BINARY_DIR}/generated/rizarode_version.nsh
      ${RIZARODE_ICON_DIR}/rizarode.ico
    COMMENT "Making the installer RIZARODE-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
  add_custom_target(installer DEPENDS ${RIZARODE_INSTALLER})
  add_dependencies(installer private_fonts)
endif()
