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

if(TAVRO_FUZZ)
  # Every library gets coverage instrumentation; the fuzz programs add the driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

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
  target_compile_options(${name} PRIVATE ${TAVRO_WARNINGS})
  target_include_directories(${name} PUBLIC ${ARG_DIRS} ${ARG_INCLUDE})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# tavro_test(NAME LABELS l... DEPS libs... [SOURCES files...] [TIMEOUT s])
# A GoogleTest program from the .cpp files of the calling folder, registered with
# ctest. Suites that run real threads are named *ThreadsTest.cpp and built, with the
# folder's helpers (the files not named *Test.cpp), into a second program,
# <area>_threads_tests for NAME <area>_tests, labelled "threads" as well: those
# also run under TSan.
function(tavro_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;DEPS;SOURCES" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(ARG_SOURCES)
    _tavro_test_program(${name} "${ARG_SOURCES}" "${ARG_LABELS}" "${ARG_DEPS}" ${ARG_TIMEOUT})
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(threaded ${sources})
  list(FILTER threaded INCLUDE REGEX "ThreadsTest\\.cpp$")
  set(plain ${sources})
  list(FILTER plain EXCLUDE REGEX "ThreadsTest\\.cpp$")
  set(helpers ${plain})
  list(FILTER helpers EXCLUDE REGEX "Test\\.cpp$")
  # No program for a folder waiting for its first tests, nor for helpers alone
  # beside thread suites.
  if(plain AND NOT (threaded AND "${plain}" STREQUAL "${helpers}"))
    _tavro_test_program(${name} "${plain}" "${ARG_LABELS}" "${ARG_DEPS}" ${ARG_TIMEOUT})
  endif()
  if(threaded)
    string(REGEX REPLACE "_tests$" "" area ${name})
    set(labels ${ARG_LABELS})
    list(APPEND labels threads)
    list(REMOVE_DUPLICATES labels)
    _tavro_test_program(${area}_threads_tests "${threaded};${helpers}" "${labels}" "${ARG_DEPS}" ${ARG_TIMEOUT})
  endif()
endfunction()

function(_tavro_test_program name sources labels deps timeout)
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${TAVRO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${deps} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    TAVRO_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    TAVRO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TAVRO_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${timeout})
endfunction()

# tavro_fuzzer(NAME SOURCE file DEPS libs...): a libFuzzer program (clang only).
function(tavro_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCE})
  target_compile_options(${name} PRIVATE ${TAVRO_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()
