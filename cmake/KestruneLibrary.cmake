# Folders as libraries. Each folder's headers are reachable as "<folder>/<header>" (the folder's
# path under src/) only by the folder's own target and by what depends on it: every target gets
# an include root of its own that holds just its folder, so an include of a folder whose
# library is not a declared dependency does not compile.

# kestrune_folder_includes(<target> <PUBLIC|PRIVATE>): the calling folder's include root.
function(kestrune_folder_includes target scope)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include_roots/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# kestrune_library(<name> [SOURCES <file>...] [DEPENDS <library>...] [PRIVATE_DEPENDS <library>...])
# makes the calling folder a static library.
function(kestrune_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${name} STATIC ${arg_SOURCES})
  kestrune_folder_includes(${name} PUBLIC)
  target_link_libraries(${name} PUBLIC ${arg_DEPENDS} PRIVATE ${arg_PRIVATE_DEPENDS})
endfunction()
