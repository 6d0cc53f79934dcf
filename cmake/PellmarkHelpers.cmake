include(GoogleTest)

# Compiler flags live here, once, for every target of the project.
function(pellmark_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endfunction()

# pellmark_library(NAME SOURCES ... DEPS ...): a core library `pellmark_<NAME>`
# with the alias `pellmark::<NAME>`; headers are included as "<NAME>/file.h".
function(pellmark_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(pellmark_${name} STATIC ${ARG_SOURCES})
  add_library(pellmark::${name} ALIAS pellmark_${name})
  target_include_directories(pellmark_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(pellmark_${name} PUBLIC ${ARG_DEPS})
  pellmark_set_warnings(pellmark_${name})
endfunction()

# pellmark_test(NAME [OWN_MAIN] SOURCES ... DEPS ...): one GoogleTest executable
# registered with ctest; OWN_MAIN when the sources bring their own main().
function(pellmark_test name)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  pellmark_set_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PELLMARK_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()
