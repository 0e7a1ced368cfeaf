# Compiled effects and resource-only modules.

# tevrana_effect(<target> SOURCE <file.fxs> [OUTPUT <file.fxo>])
# Compiles an effect source with effectc (run under Wine) at build time. <target> is a custom
# target that builds the file; its EFFECT_FILE property holds the output path. Effects whose
# source lies under assets/ are the ones the project ships: they are listed in the global
# property TEVRANA_SHIPPED_EFFECTS (their targets in TEVRANA_SHIPPED_EFFECT_TARGETS), which
# the effect catalogue test checks.
function(tevrana_effect target)
  cmake_parse_arguments(ARG "" "SOURCE;OUTPUT" "" ${ARGN})
  get_filename_component(source ${ARG_SOURCE} ABSOLUTE)
  if(NOT ARG_OUTPUT)
    get_filename_component(stem ${source} NAME_WE)
    set(ARG_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${stem}.fxo)
  endif()
  add_custom_command(OUTPUT ${ARG_OUTPUT}
    COMMAND effectc ${source} ${ARG_OUTPUT}
    DEPENDS effectc ${source}
    COMMENT "Compiling effect ${ARG_SOURCE}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${ARG_OUTPUT})
  set_target_properties(${target} PROPERTIES EFFECT_FILE ${ARG_OUTPUT})
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${source})
  if(rel MATCHES "^assets/")
    set_property(GLOBAL APPEND PROPERTY TEVRANA_SHIPPED_EFFECTS ${ARG_OUTPUT})
    set_property(GLOBAL APPEND PROPERTY TEVRANA_SHIPPED_EFFECT_TARGETS ${target})
  endif()
endfunction()

# tevrana_resource_module(<target> ENTRIES <type> <id> <file> ... [DEPENDS <targets>...])
# Links a resource-only DLL <target>.dll from (type, numeric id, file) entries; type is a
# resource type name such as DDS, or RCDATA. The entry list is also written to
# <target>_entries.txt beside the DLL ("type id path" per line) for the tests.
function(tevrana_resource_module target)
  cmake_parse_arguments(ARG "" "" "ENTRIES;DEPENDS" ${ARGN})
  list(LENGTH ARG_ENTRIES n)
  math(EXPR rest "${n} % 3")
  if(NOT rest EQUAL 0 OR n EQUAL 0)
    message(FATAL_ERROR "tevrana_resource_module(${target}): ENTRIES must be triples of type, id and file")
  endif()
  set(rc "// Generated from the entry list of ${target}.\n")
  set(list "")
  set(files "")
  set(seen "")
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR j "${i} + 1")
    math(EXPR k "${i} + 2")
    list(GET ARG_ENTRIES ${i} type)
    list(GET ARG_ENTRIES ${j} id)
    list(GET ARG_ENTRIES ${k} file)
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    # The player asks by MAKEINTRESOURCE (16 bits, 0 being no id); a type and id pair can be
    # in a module once only.
    if(NOT id MATCHES "^[0-9]+$" OR id LESS 1 OR id GREATER 65535)
      message(FATAL_ERROR "tevrana_resource_module(${target}): id '${id}' is not a number from 1 to 65535")
    endif()
    if("${type}:${id}" IN_LIST seen)
      message(FATAL_ERROR "tevrana_resource_module(${target}): ${type} ${id} listed twice")
    endif()
    list(APPEND seen "${type}:${id}")
    string(APPEND rc "${id} ${type} \"${file}\"\n")
    string(APPEND list "${type} ${id} ${file}\n")
    list(APPEND files ${file})
  endforeach()
  set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_entries.rc)
  file(GENERATE OUTPUT ${rc_file} CONTENT "${rc}")
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}_entries.txt CONTENT "${list}")
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${files}")
  add_library(${target} SHARED ${rc_file})
  set_target_properties(${target} PROPERTIES PREFIX "" LINKER_LANGUAGE CXX
    RESOURCE_ENTRIES ${CMAKE_CURRENT_BINARY_DIR}/${target}_entries.txt)
  target_link_options(${target} PRIVATE -nostdlib -Wl,-e,0 -s)
  if(ARG_DEPENDS)
    add_dependencies(${target} ${ARG_DEPENDS})
  endif()
endfunction()

# tevrana_copy_resource_module(<target> <module target>)
# Puts the module beside <target>'s file on every build (the program loads it by file name,
# its own folder first). A step of its own rather than a post-build step of <target>: a
# module rebuilt without <target> being relinked must still be copied.
function(tevrana_copy_resource_module target module)
  add_custom_target(${target}_${module}_copy
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${module}> $<TARGET_FILE_DIR:${target}>
    DEPENDS ${module}
    VERBATIM)
  add_dependencies(${target} ${target}_${module}_copy)
endfunction()

# tevrana_picture_package(<target> OUTPUT <file> FRAMES <time> <picture> ...)
# Packs pictures (with their frame times in seconds) into one picture package file at build
# time, for a "DDS" entry of a resource module. Pictures made by the build in the same folder
# are picked up as file dependencies.
function(tevrana_picture_package target)
  cmake_parse_arguments(ARG "" "OUTPUT" "FRAMES" ${ARGN})
  get_filename_component(output ${ARG_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  set(args "")
  set(deps "")
  list(LENGTH ARG_FRAMES n)
  math(EXPR rest "${n} % 2")
  if(NOT rest EQUAL 0 OR n EQUAL 0)
    message(FATAL_ERROR "tevrana_picture_package(${target}): FRAMES must be pairs of time and picture")
  endif()
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ARG_FRAMES ${i} time)
    list(GET ARG_FRAMES ${j} picture)
    get_filename_component(picture ${picture} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND args ${time} ${picture})
    list(APPEND deps ${picture})
  endforeach()
  add_custom_command(OUTPUT ${output}
    COMMAND picpack ${output} ${args}
    DEPENDS picpack ${deps}
    COMMENT "Packing pictures into ${ARG_OUTPUT}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
