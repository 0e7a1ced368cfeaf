# Helpers shared by every folder of the project.

# tevrana_subsystem(<name> [DEPENDS libs...])
# One static library per subsystem folder, made of every .cpp in the folder (and its
# subfolders, but for those that are a library of their own with a CMakeLists.txt), so that
# new classes need no edit of a build file.
function(tevrana_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE own_lists ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(own_list ${own_lists})
    get_filename_component(folder ${own_list} DIRECTORY)
    foreach(source ${sources})
      string(FIND "${source}" "${folder}/" at)
      if(at EQUAL 0)
        list(REMOVE_ITEM sources ${source})
      endif()
    endforeach()
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# tevrana_gtest(<name> SOURCES files... LIBS libs... [ENVIRONMENT vars...])
# A GoogleTest executable run under Wine; its cases are discovered when CTest runs.
function(tevrana_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>
    PROPERTIES LABELS ${name} TIMEOUT 300 ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/Effects.cmake)
