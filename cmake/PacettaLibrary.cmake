# pacetta_library(NAME DIR [DEPS ...]): a static library of every source under DIR
# (recursively, except folders that hold their own library), with the repository root
# as include root.
function(pacetta_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${excluded}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    # Nothing built here yet: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# GCC forgets, for code it inlines from a precompiled header, that the code is the
# standard library's: its false array-bounds and string-overflow warnings about
# std::string and its false maybe-uninitialized ones inside std::regex (GCC 12) then
# surface in the tests. They stay on for the programs.
function(pacetta_test_pch_warnings name)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${name} PRIVATE -Wno-array-bounds -Wno-stringop-overflow
                                           -Wno-stringop-overread -Wno-maybe-uninitialized)
  endif()
endfunction()

# pacetta_test(NAME DIR [DEPS ...]): one GoogleTest program of every source under DIR.
function(pacetta_test name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    PACETTA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    PACETTA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  if("pacetta_ui" IN_LIST ARG_DEPS AND TARGET pacetta_test_pch_qt)
    target_precompile_headers(${name} REUSE_FROM pacetta_test_pch_qt)
  elseif(TARGET pacetta_test_pch)
    target_precompile_headers(${name} REUSE_FROM pacetta_test_pch)
  endif()
  pacetta_test_pch_warnings(${name})
  # Each test carries its program's name as a label, so `ctest -L` can run a program's
  # tests in a build that holds only some programs. The tester's own language must not
  # pick a language module beside the programs: the tests expect the English texts.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 LABELS ${name}
                       ENVIRONMENT "LC_ALL=C.UTF-8")
endfunction()
