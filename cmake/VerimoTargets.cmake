# Common settings for the project's own targets.

set(VERIMO_WARNINGS -Wall -Wextra -Werror)
# g++ 12 reports -Wrestrict falsely on std::u16string assignments when
# optimising (a known compiler bug); the warning is off for that compiler only.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND VERIMO_WARNINGS -Wno-restrict)
endif()

if(VERIMO_SANITIZE)
  set(VERIMO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${VERIMO_SANITIZER_FLAGS})
  add_link_options(${VERIMO_SANITIZER_FLAGS})
endif()

# verimo_library(NAME SOURCES... [DEPS targets...])
# A static library whose headers are included as "layer/File.h" from the
# repository root.
function(verimo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_compile_options(${name} PRIVATE ${VERIMO_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# verimo_executable(NAME SOURCES... [DEPS targets...])
function(verimo_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}")
  target_compile_options(${name} PRIVATE ${VERIMO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# verimo_test(NAME SOURCES... [DEPS targets...] [LABELS labels...])
# A GoogleTest program; every test case becomes one CTest test, with the
# labels given. The tests see VERIMO_SHARED_DIR in their environment
# (tests/support/TestPaths.h).
function(verimo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
  target_compile_options(${name} PRIVATE ${VERIMO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} verimo_testsupport GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "VERIMO_SHARED_DIR=${VERIMO_SHARED_DIR}" LABELS "${ARG_LABELS}")
endfunction()
