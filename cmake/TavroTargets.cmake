# Shared rules for the project's own targets: warnings as errors, sanitizers.

set(TAVRO_WARNINGS -Wall -Wextra -Werror -Wno-unused-parameter)

if(TAVRO_SANITIZE)
  set(TAVRO_SANITIZE_FLAGS -fsanitize=${TAVRO_SANITIZE} -fno-omit-frame-pointer)
  if(TAVRO_SANITIZE MATCHES "undefined")
    list(APPEND TAVRO_SANITIZE_FLAGS -fno-sanitize-recover=all)
  endif()
  add_compile_options(${TAVRO_SANITIZE_FLAGS})
  add_link_options(${TAVRO_SANITIZE_FLAGS})
endif()

# The test programs and their helpers are optimised after the build's own flags: they
# check the code, not their own speed. -O1 takes half the compile time of -O2; under a
# sanitizer -O0, as instrumenting the tests' large bodies is most of what the optimiser
# is given there (a batch of editor tests: 160 s at -O1 with ASan+UBSan, 55 s at -O0),
# and unoptimised code hides no access from the checker. The code under test keeps the
# build's own flags.
if(TAVRO_SANITIZE)
  set(TAVRO_TEST_OPTIMISE -O0)
else()
  set(TAVRO_TEST_OPTIMISE -O1)
endif()

if(TAVRO_FUZZ)
  # Every library gets coverage instrumentation; the fuzz programs add the driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# tavro_product_rules(TARGET): what the project's own libraries and programs are
# compiled with. Their files are compiled in batches of 16 (a unity build), as the
# tests' are: most of a file's compile is parsing and generating the same headers,
# inline functions and templates as its neighbours, once a batch instead of once a
# file. Under ASan+UBSan that took the product's objects from 1180 to 480 cpu-s;
# batches of 8 saved less (the editor and framework: 400 cpu-s one by one, 220 in
# eights, 190 in sixteens), and a whole library in one batch makes a one-file edit
# recompile all of it (the editor: some 90 s) where a batch of 16 takes 25 s.
# A file's names at file scope are then its batch's: no two files of a target may
# define one alike (a helper two files share lives in a header), and a file's macros
# and using-directives end with it.
function(tavro_product_rules target)
  target_compile_options(${target} PRIVATE ${TAVRO_WARNINGS})
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
endfunction()

# tavro_library(NAME DIRS dirs... [DEPS libs...] [INCLUDE dirs...])
# A static library from every .cpp of the named folders (not recursive).
function(tavro_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS;INCLUDE" ${ARGN})
  set(sources "")
  foreach(d ${ARG_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${d}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # A folder still without sources: headers only, so dependents configure.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${ARG_DIRS} ${ARG_INCLUDE})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  tavro_product_rules(${name})
  target_include_directories(${name} PUBLIC ${ARG_DIRS} ${ARG_INCLUDE})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# Every program labelled "threads", so the ThreadSanitizer build makes only those.
add_custom_target(threads_programs)

# tavro_unit_programs(): the target unit_programs, everything the default build makes
# but the real-time programs (with -DTAVRO_BENCH=ON the benchmarks too; the objects
# the programs share come with them): what the tests outside "realtime" run, so that a
# build that runs only those makes no more. Called once every folder is added.
function(tavro_unit_programs)
  add_custom_target(unit_programs)
  get_property(realtime GLOBAL PROPERTY TAVRO_REALTIME_PROGRAMS)
  set(folders ${PROJECT_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(children DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${children})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
      if(NOT type MATCHES "^(INTERFACE|OBJECT)_LIBRARY$" AND NOT excluded AND NOT target IN_LIST realtime)
        add_dependencies(unit_programs ${target})
      endif()
    endforeach()
  endwhile()
endfunction()

# tavro_test(NAME LABELS l... DEPS libs... [SOURCES files...] [TIMEOUT s] [REALTIME regex])
# A GoogleTest program from the .cpp files of the calling folder, registered with
# ctest. Suites that run real threads are named *ThreadsTest.cpp and built, with the
# folder's helpers (the files not named *Test.cpp), into a second program,
# <area>_threads_tests for NAME <area>_tests, labelled "threads" as well: those
# also run under TSan. Thread suites whose file matches REALTIME (by default the
# *JackThreadsTest.cpp ones) drive real processes in real time: they go into a third
# program, <area>_realtime_tests, labelled "realtime" too. Every program labelled
# "realtime" has one ctest entry a test, so that CI can run them side by side.
function(tavro_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT;REALTIME" "LABELS;DEPS;SOURCES" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(NOT ARG_REALTIME)
    set(ARG_REALTIME "JackThreadsTest\\.cpp$")
  endif()
  if(ARG_SOURCES)
    _tavro_test_program(${name} "${ARG_SOURCES}" "${ARG_LABELS}" "${ARG_DEPS}" ${ARG_TIMEOUT})
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(threaded ${sources})
  list(FILTER threaded INCLUDE REGEX "ThreadsTest\\.cpp$")
  set(realtime ${threaded})
  list(FILTER realtime INCLUDE REGEX "${ARG_REALTIME}")
  list(FILTER threaded EXCLUDE REGEX "${ARG_REALTIME}")
  set(plain ${sources})
  list(FILTER plain EXCLUDE REGEX "ThreadsTest\\.cpp$")
  set(helpers ${plain})
  list(FILTER helpers EXCLUDE REGEX "Test\\.cpp$")
  list(FILTER plain INCLUDE REGEX "Test\\.cpp$")
  string(REGEX REPLACE "_tests$" "" area ${name})
  # The folder's helpers compiled once for all its programs.
  set(programs 0)
  foreach(suites plain threaded realtime)
    if(NOT "${${suites}}" STREQUAL "")
      math(EXPR programs "${programs} + 1")
    endif()
  endforeach()
  if(helpers AND programs GREATER 1)
    add_library(${area}_test_helpers OBJECT ${helpers})
    _tavro_test_rules(${area}_test_helpers "${ARG_DEPS}")
    set(helpers $<TARGET_OBJECTS:${area}_test_helpers>)
  endif()
  # No program for a folder waiting for its first tests.
  if(plain OR (helpers AND NOT (threaded OR realtime)))
    _tavro_test_program(${name} "${plain};${helpers}" "${ARG_LABELS}" "${ARG_DEPS}" ${ARG_TIMEOUT})
  endif()
  set(labels ${ARG_LABELS})
  list(APPEND labels threads)
  list(REMOVE_DUPLICATES labels)
  if(threaded)
    _tavro_test_program(${area}_threads_tests "${threaded};${helpers}" "${labels}" "${ARG_DEPS}" ${ARG_TIMEOUT})
  endif()
  if(realtime)
    list(APPEND labels realtime)
    _tavro_test_program(${area}_realtime_tests "${realtime};${helpers}" "${labels}" "${ARG_DEPS}" ${ARG_TIMEOUT})
  endif()
endfunction()

# GoogleTest's header, parsed once a build for every test program: a program of the
# same kind (an executable, so compiled alike) that owns the precompiled header.
function(_tavro_test_pch)
  if(TARGET tavro_test_pch)
    return()
  endif()
  set(source ${PROJECT_BINARY_DIR}/tavro_test_pch.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "// Only the precompiled header's owner.\n")
  endif()
  add_executable(tavro_test_pch ${source})
  target_link_libraries(tavro_test_pch PRIVATE GTest::gtest GTest::gtest_main Threads::Threads)
  # -pthread, which some programs have from their libraries, decides parts of the header,
  # and GCC takes no header precompiled at another optimisation than -O0's or the reverse.
  target_compile_options(tavro_test_pch PRIVATE -pthread ${TAVRO_TEST_OPTIMISE})
  target_precompile_headers(tavro_test_pch PRIVATE <gtest/gtest.h>)
endfunction()

# What the test programs and their helpers are compiled with. Their files are compiled
# in batches of 16 (a unity build): most of a test file's compile is generating the same
# inline functions and templates (GoogleTest, std, our headers) as its neighbours, once a
# batch instead of once a file. A file's names at file scope are then its batch's: no
# two files of a program may define one alike (shared ones live in the folder's support
# headers), and a file's macros and pragmas end with it.
# GCC warns of a fixture in an anonymous namespace that a test of another file of the
# batch derives from, as it would in a header: -Wno-subobject-linkage.
# At -O1 GCC reads the null branch of a checked getter followed by an atomic load as a
# write past an object: -Wno-stringop-overflow. Both are GCC's own (clang, which builds
# the fuzz tree, refuses an unknown switch under -Werror).
function(_tavro_test_rules target deps)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
  target_compile_options(${target} PRIVATE -pthread ${TAVRO_WARNINGS} ${TAVRO_TEST_OPTIMISE}
    "$<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage;-Wno-stringop-overflow>")
  target_link_libraries(${target} PRIVATE ${deps} GTest::gtest GTest::gmock Threads::Threads)
  target_compile_definitions(${target} PRIVATE
    TAVRO_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    TAVRO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TAVRO_BINARY_DIR="${PROJECT_BINARY_DIR}")
endfunction()

# The program NAME, registered as one ctest entry; a real-time one as one entry a test,
# <NAME>.<file stem>.<test>: they mostly wait on other processes, so the more of them
# there are to share the places side by side, the sooner the last one ends (one entry
# a file left a file of many runs the last to end, its runs one after another).
function(_tavro_test_program name sources labels deps timeout)
  _tavro_test_pch()
  add_executable(${name} ${sources})
  target_precompile_headers(${name} REUSE_FROM tavro_test_pch)
  _tavro_test_rules(${name} "${deps}")
  target_link_libraries(${name} PRIVATE GTest::gtest_main)
  if("threads" IN_LIST labels)
    add_dependencies(threads_programs ${name})
  endif()
  if(NOT "realtime" IN_LIST labels)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${timeout})
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY TAVRO_REALTIME_PROGRAMS ${name})
  foreach(source ${sources})
    if(NOT source MATCHES "Test\\.cpp$")
      continue()
    endif()
    # Parameterised and typed tests are read too, to be refused: no entry would run them.
    file(STRINGS ${source} lines REGEX "^[ \t]*(TYPED_)?TEST(_F|_P)?\\(")
    if(NOT lines)
      message(FATAL_ERROR "${source}: no TEST or TEST_F")
    endif()
    get_filename_component(stem ${source} NAME_WE)
    string(REGEX REPLACE "(Threads)?Test$" "" stem ${stem})
    foreach(line ${lines})
      if(NOT line MATCHES "^[ \t]*TEST(_F)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)\\)")
        message(FATAL_ERROR "${source}: only a TEST or TEST_F written on one line gets a ctest entry: ${line}")
      endif()
      set(suite ${CMAKE_MATCH_2})
      set(test ${CMAKE_MATCH_3})
      if(test MATCHES "^DISABLED_")
        continue()
      endif()
      add_test(NAME ${name}.${stem}.${test} COMMAND ${name} --gtest_brief=1 --gtest_filter=${suite}.${test})
      set_tests_properties(${name}.${stem}.${test} PROPERTIES LABELS "${labels}" TIMEOUT ${timeout})
    endforeach()
  endforeach()
endfunction()

# tavro_run_alone(tests...): real-time runs that check timing (clocks counted over
# seconds, frames from send to arrival), which other runs' load would upset: ctest
# runs each with nothing beside it, and first, while nothing runs yet that it would
# wait for. They take the machine alone (JackQuietTiming) for runs of other build
# trees as well. Labelled "timing", so that CI runs them before it starts a build
# beside the other real-time runs.
function(tavro_run_alone)
  set_tests_properties(${ARGN} PROPERTIES RUN_SERIAL ON COST 10000)
  set_property(TEST ${ARGN} APPEND PROPERTY LABELS timing)
endfunction()

# tavro_long_run(test seconds): a run that takes about that long under the
# sanitizers: ctest starts the longest first, so that the short ones fill the cores
# beside them to the end (a fresh clone has no times of its own to order them by).
function(tavro_long_run test seconds)
  set_tests_properties(${test} PROPERTIES COST ${seconds})
endfunction()

# tavro_fuzzer(NAME SOURCE file DEPS libs...): a libFuzzer program (clang only).
function(tavro_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCE})
  target_compile_options(${name} PRIVATE ${TAVRO_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()
