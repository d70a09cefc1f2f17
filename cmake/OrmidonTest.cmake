# ormidon_test(<name> LABEL <label> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable; each of its tests becomes a CTest test carrying the
# label of its top folder. Window tests run on Qt's offscreen platform.
function(ormidon_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES LABELS ${T_LABEL}
               # One variable per property: a list value would be split by the discovery.
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "ORMIDON_PROGRAM_DIR=set:${ORMIDON_PROGRAM_DIR}"
               TIMEOUT 120)
endfunction()
