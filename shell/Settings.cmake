# Resources of the settings dialogs: the dialogs, their texts and the picture that the
# build draws (settings_picture.sh). Any executable that opens the dialogs links them.
find_program(TEVRANA_CONVERT NAMES convert REQUIRED)

# tevrana_settings_resources(<target>)
function(tevrana_settings_resources target)
  set(src ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_settings_picture)
  set(picture ${dir}/settings_picture.jpg)
  add_custom_command(OUTPUT ${picture}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND sh ${src}/settings_picture.sh ${TEVRANA_CONVERT} ${picture}
    DEPENDS ${src}/settings_picture.sh
    VERBATIM)
  add_custom_target(${target}_settings_picture DEPENDS ${picture})
  add_dependencies(${target} ${target}_settings_picture)

  target_sources(${target} PRIVATE ${src}/SettingsDialogs.rc ${src}/SettingsStrings.rc ${src}/SettingsPicture.rc)
  set_source_files_properties(${src}/SettingsDialogs.rc ${src}/SettingsStrings.rc
    PROPERTIES OBJECT_DEPENDS ${src}/SettingsIds.h)
  set_source_files_properties(${src}/SettingsPicture.rc
    PROPERTIES OBJECT_DEPENDS "${picture};${src}/SettingsIds.h" INCLUDE_DIRECTORIES ${dir})
endfunction()
