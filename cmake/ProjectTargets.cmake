# Settings every target of the project's own shares: texts are written in
# UTF-8 and compiled to GBK bytes, and warnings are errors so they stay at zero.
function(project_target_settings target)
  target_compile_options(${target} PRIVATE
    -finput-charset=UTF-8 -fexec-charset=CP936
    -Wall -Wextra -Werror)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# A library of portable or platform code under src/.
function(project_library name)
  add_library(${name} STATIC ${ARGN})
  project_target_settings(${name})
endfunction()

# A GoogleTest program. Test discovery runs at test time (under Wine in the
# cross build), so building never needs Wine.
#   project_test(NAME SOURCES file... LIBS lib... [LABELS label])
# A test labelled gui takes the screen lock lanzou_program.
function(project_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  project_target_settings(${name})
  target_link_libraries(${name} PRIVATE test_support ${T_LIBS} gtest)
  set(labels unit)
  if(T_LABELS)
    set(labels ${T_LABELS})
  endif()
  # Tests that show windows share one screen with the program's end-to-end
  # tests, which look windows and message boxes up by class and title.
  set(lock "")
  if(labels STREQUAL "gui")
    set(lock RESOURCE_LOCK lanzou_program)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS "${labels}" FIXTURES_REQUIRED wine_session ${lock})
endfunction()
