# qd_add_test(NAME SOURCES src... LIBS lib...)
# One test program per behaviour group; CTest runs each program once. Widget
# tests run on the offscreen platform. Programs that link the screens' layer
# run under the program's own application object (its error boundary).
# Sanitizer options come from the environment that the test command sets
# (scripts/test.sh).
find_package(GTest REQUIRED)
function(qd_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set(principal qd_testmain)
  foreach(lib IN ITEMS qd_forms qd_import qd_registry qd_documents qd_meetings qd_calendar qd_shell)
    if(lib IN_LIST T_LIBS)
      set(principal qd_testmain_forms)
    endif()
  endforeach()
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${principal})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
  # The test code itself is compiled without optimising: most of the test
  # build's time goes to test code, whose speed matters little.
  target_compile_options(${name} PRIVATE -O0)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QD_SOURCE_DIR=${PROJECT_SOURCE_DIR};QD_BINARY_DIR=${PROJECT_BINARY_DIR}"
    TIMEOUT 600)
endfunction()
