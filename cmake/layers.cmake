# Every layer of the program is a library that links only layers below it,
# and sees headers only through include roots: a layer's root, in the build
# tree, holds links to that layer's folders and nothing else, and a target's
# include path holds its own root and the roots of what it links. An
# include of a layer that is not linked below finds no file, so the build
# stops there. (src/ itself is on no include path.)

# rizarode_layer_headers(<target> <path>...): <target>, and whatever links
# it, sees src/<path> as "<path>". A path may end in a pattern
# ("platform/*.h") to give the matching files alone, not the folder's
# subfolders.
function(rizarode_layer_headers target)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  # The links only: removing a root never follows them into src/.
  file(REMOVE_RECURSE ${root})
  foreach(path ${ARGN})
    if(path MATCHES "[*]")
      file(GLOB matches CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/src
        ${CMAKE_SOURCE_DIR}/src/${path})
    else()
      set(matches ${path})
    endif()
    foreach(match ${matches})
      get_filename_component(parent ${root}/${match} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${match} ${root}/${match} SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# rizarode_layer(<target> <folder>... [HEADERS <path>...] [LINKS <target>...]):
# a static library of the sources in src/<folder> (not in its subfolders),
# whose headers are its folders (or the HEADERS paths), linking LINKS.
function(rizarode_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "HEADERS;LINKS")
  set(sources)
  foreach(folder ${layer_UNPARSED_ARGUMENTS})
    file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    list(APPEND sources ${folder_sources})
  endforeach()
  add_library(${target} STATIC ${sources})
  if(NOT layer_HEADERS)
    set(layer_HEADERS ${layer_UNPARSED_ARGUMENTS})
  endif()
  rizarode_layer_headers(${target} ${layer_HEADERS})
  target_link_libraries(${target} PUBLIC ${layer_LINKS})
endfunction()
