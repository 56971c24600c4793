# Coverage-guided fuzzing in the native build.
#
# The sources must be compiled by gcc (clang cannot turn UTF-8 texts into GBK
# bytes), so the fuzzers use gcc's -fsanitize-coverage=trace-pc together with
# LLVM's libFuzzer driver. That libFuzzer no longer reads trace-pc callbacks
# itself; tests/support/FuzzCoverage.c turns them into the 8-bit counters it
# does read, and the archive is copied with its own trace-pc hook made weak.
#
#   project_fuzzer(NAME SOURCES harness... COVERS library... [SEEDS dir])
# builds NAME from the harness and the libraries' sources, all instrumented,
# and adds a short bounded run of it as a test labelled "fuzz".

set(FUZZ_SECONDS 10 CACHE STRING "Seconds each fuzzer runs inside the test suite")
set(LANZOU_FUZZING OFF)

if(NOT CMAKE_CROSSCOMPILING AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND SANITIZE)
  file(GLOB _fuzz_archives
       /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a)
  find_program(OBJCOPY_TOOL objcopy)
  if(_fuzz_archives AND OBJCOPY_TOOL)
    list(GET _fuzz_archives -1 _fuzz_archive)
    set(_fuzz_runtime ${PROJECT_BINARY_DIR}/fuzz/libfuzzer-for-gcc.a)
    add_custom_command(OUTPUT ${_fuzz_runtime}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/fuzz
      COMMAND ${OBJCOPY_TOOL} --weaken-symbol=__sanitizer_cov_trace_pc
              ${_fuzz_archive} ${_fuzz_runtime}
      DEPENDS ${_fuzz_archive}
      COMMENT "Preparing libFuzzer for gcc-instrumented code")
    add_custom_target(fuzz_runtime DEPENDS ${_fuzz_runtime})
    add_library(fuzz_coverage STATIC ${PROJECT_SOURCE_DIR}/tests/support/FuzzCoverage.c)
    set(LANZOU_FUZZING ON)
  else()
    message(STATUS "libFuzzer runtime (libclang-rt-dev) not found: fuzzers are not built")
  endif()
endif()

function(project_fuzzer name)
  if(NOT LANZOU_FUZZING)
    return()
  endif()
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;COVERS" ${ARGN})
  set(covered_sources "")
  set(covered_libs "")
  foreach(lib ${F_COVERS})
    get_target_property(lib_sources ${lib} SOURCES)
    get_target_property(lib_dir ${lib} SOURCE_DIR)
    foreach(src ${lib_sources})
      if(NOT IS_ABSOLUTE ${src})
        set(src ${lib_dir}/${src})
      endif()
      list(APPEND covered_sources ${src})
    endforeach()
    get_target_property(lib_links ${lib} LINK_LIBRARIES)
    if(lib_links)
      list(APPEND covered_libs ${lib_links})
    endif()
  endforeach()
  add_executable(${name} ${F_SOURCES} ${covered_sources})
  project_target_settings(${name})
  target_compile_options(${name} PRIVATE -fsanitize-coverage=trace-pc)
  add_dependencies(${name} fuzz_runtime)
  list(REMOVE_ITEM covered_libs ${F_COVERS})
  target_link_libraries(${name} PRIVATE ${covered_libs} fuzz_coverage
                        ${PROJECT_BINARY_DIR}/fuzz/libfuzzer-for-gcc.a pthread)
  set(corpus ${PROJECT_BINARY_DIR}/fuzz/${name}-corpus)
  set(seed_args "")
  if(F_SEEDS)
    set(seed_args ${F_SEEDS})
  endif()
  add_test(NAME fuzz.${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
            $<TARGET_FILE:${name}> -max_total_time=${FUZZ_SECONDS} -timeout=10
            -rss_limit_mb=2048 -print_final_stats=1 ${corpus} ${seed_args})
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 300)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${corpus})
endfunction()
