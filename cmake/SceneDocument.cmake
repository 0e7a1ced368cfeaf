# Scene documents made at build time, and programs that carry one as resource "DDS" 107.

# tevrana_scene_document(<target> DESCRIPTION <file> OUTPUT <file> [WORKING_DIRECTORY <dir>]
#                        [DEPENDS <files or targets>...])
# Runs the scene tool (under the cross-compiling emulator) on a scene description. File
# names in the description are relative to WORKING_DIRECTORY (default: the binary dir).
function(tevrana_scene_document name)
  cmake_parse_arguments(ARG "" "DESCRIPTION;OUTPUT;WORKING_DIRECTORY" "DEPENDS" ${ARGN})
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_custom_command(OUTPUT ${ARG_OUTPUT}
    COMMAND scenetool ${ARG_DESCRIPTION} ${ARG_OUTPUT}
    DEPENDS scenetool ${ARG_DESCRIPTION} ${ARG_DEPENDS}
    WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY}
    COMMENT "Scene document ${ARG_OUTPUT}"
    VERBATIM)
  add_custom_target(${name} DEPENDS ${ARG_OUTPUT})
  set_target_properties(${name} PROPERTIES TEVRANA_DOCUMENT ${ARG_OUTPUT})
endfunction()

# tevrana_embed_scene(<program target> <document target>)
# Puts the document of a tevrana_scene_document target into the program as "DDS" 107.
function(tevrana_embed_scene program document_target)
  get_target_property(document ${document_target} TEVRANA_DOCUMENT)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${program}_scene.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "107 DDS \"${document}\"\n")
  target_sources(${program} PRIVATE ${rc})
  set_source_files_properties(${rc} TARGET_DIRECTORY ${program} PROPERTIES OBJECT_DEPENDS ${document})
  add_dependencies(${program} ${document_target})
endfunction()

# tevrana_saver_variant(<new program> LIKE <program> DOCUMENT <document target>)
# Another link of a program around another document, such as a damaged one for the error
# display: the original's own objects and resources, less its scene, with the same
# libraries and options.
function(tevrana_saver_variant name)
  cmake_parse_arguments(ARG "" "LIKE;DOCUMENT" "" ${ARGN})
  add_executable(${name} "$<FILTER:$<TARGET_OBJECTS:${ARG_LIKE}>,EXCLUDE,_scene\\.rc>")
  foreach(property LINK_LIBRARIES LINK_OPTIONS LINK_DIRECTORIES WIN32_EXECUTABLE SUFFIX)
    get_target_property(value ${ARG_LIKE} ${property})
    if(value)
      set_target_properties(${name} PROPERTIES ${property} "${value}")
    endif()
  endforeach()
  add_dependencies(${name} ${ARG_LIKE})
  tevrana_embed_scene(${name} ${ARG_DOCUMENT})
endfunction()
