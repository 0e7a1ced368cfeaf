# The program's wave picture ("DDS" resource 2): the height field of small ripples, height in
# red, that the lake light makes its bump map from (wave_picture.sh). The same heights as a
# PGM serve scene descriptions that store a lake's bump map ("bump-map").
find_program(TEVRANA_WAVE_CONVERT NAMES convert REQUIRED)
set(TEVRANA_WAVE_PICTURE ${CMAKE_CURRENT_BINARY_DIR}/wave.png)
set(TEVRANA_WAVE_HEIGHTS ${CMAKE_CURRENT_BINARY_DIR}/wave.pgm)
add_custom_command(OUTPUT ${TEVRANA_WAVE_PICTURE} ${TEVRANA_WAVE_HEIGHTS}
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/wave_picture.sh ${TEVRANA_WAVE_CONVERT} ${TEVRANA_WAVE_PICTURE}
          ${TEVRANA_WAVE_HEIGHTS}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/wave_picture.sh
  COMMENT "Wave picture" VERBATIM)
add_custom_target(wave_picture DEPENDS ${TEVRANA_WAVE_PICTURE} ${TEVRANA_WAVE_HEIGHTS})
set_target_properties(wave_picture PROPERTIES WAVE_PICTURE ${TEVRANA_WAVE_PICTURE}
                                              WAVE_HEIGHTS ${TEVRANA_WAVE_HEIGHTS})

# tevrana_wave_picture_resource(<target>)
# Puts the wave picture into the program or test program as "DDS" 2.
function(tevrana_wave_picture_resource target)
  get_target_property(picture wave_picture WAVE_PICTURE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_wave.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "2 DDS \"${picture}\"\n")
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${picture})
  add_dependencies(${target} wave_picture)
endfunction()
