include(GoogleTest)

# Compiler flags live here, once, for every target of the project.
function(pellmark_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endfunction()

# pellmark_library(NAME SOURCES ... DEPS ...): the library `pellmark_<NAME>` of
# the folder src/<NAME>, with the alias `pellmark::<NAME>`; its headers are
# included as "<NAME>/file.h". It exposes its own folder alone: the include
# directory is a folder in the build tree holding one link, <NAME> -> src/<NAME>,
# so a file sees only the headers of the libraries it links (docs/layers.txt
# says which those may be; tests/layers holds every include to it).
function(pellmark_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(pellmark_${name} STATIC ${ARG_SOURCES})
  add_library(pellmark::${name} ALIAS pellmark_${name})
  set(exposed ${PROJECT_BINARY_DIR}/exposed/${name})
  file(MAKE_DIRECTORY ${exposed})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${name} ${exposed}/${name} SYMBOLIC)
  target_include_directories(pellmark_${name} PUBLIC ${exposed})
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
