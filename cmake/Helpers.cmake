# ts_add_folder_library(<name> <folder> [EXCLUDE <file> ...] [DEPS ...]): a
# static library of every .cpp directly inside <folder> but the excluded ones;
# a folder without sources gives an interface library.
function(ts_add_folder_library name folder)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  list(TRANSFORM ARG_EXCLUDE PREPEND ${folder}/)
  if(ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${ARG_EXCLUDE})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ts_settings ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ts_settings ${ARG_DEPS})
  endif()
endfunction()

# ts_add_gtest_folder(<folder> [LIBS ...]): one GoogleTest program for every
# folder under <folder> (the folder itself included) that holds *_test.cpp files.
function(ts_add_gtest_folder folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${folder}/*_test.cpp)
  set(dirs "")
  foreach(f ${all})
    get_filename_component(d ${f} DIRECTORY)
    list(APPEND dirs ${d})
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  foreach(d ${dirs})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/tests ${d})
    string(REPLACE "/" "_" exe "test_${rel}")
    file(GLOB sources CONFIGURE_DEPENDS ${d}/*.cpp)
    if(WIN32)
      list(APPEND sources ${TRACESWEEP_MANIFEST_RC})
    endif()
    add_executable(${exe} ${sources})
    target_link_libraries(${exe} PRIVATE ts_settings ${ARG_LIBS} ts_test_support
                          GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "TRACESWEEP_TEST=1")
  endforeach()
endfunction()

# ts_add_gtest_files(<name> FILES ... [LIBS ...]): one GoogleTest program of the
# given files (relative to the current source folder), for builds that take
# only some files of a folder.
function(ts_add_gtest_files name)
  cmake_parse_arguments(ARG "" "" "FILES;LIBS" ${ARGN})
  list(TRANSFORM ARG_FILES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(WIN32)
    list(APPEND ARG_FILES ${TRACESWEEP_MANIFEST_RC})
  endif()
  add_executable(${name} ${ARG_FILES})
  target_link_libraries(${name} PRIVATE ts_settings ${ARG_LIBS} ts_test_support
                        GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "TRACESWEEP_TEST=1")
endfunction()
