# The system packages behind these are installed by scripts/setup, the only list of them.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
# The programs link core and imgproc only; videoio is the tests' independent judge of the AVI
# files the programs write.
find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc videoio)
find_package(CURL REQUIRED)
pkg_check_modules(LIBVLC REQUIRED IMPORTED_TARGET libvlc)
pkg_check_modules(LIBV4L2 REQUIRED IMPORTED_TARGET libv4l2 libv4lconvert)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
if(MS_TESTS)
  find_package(GTest REQUIRED)
endif()
if(MS_BENCH)
  find_package(benchmark REQUIRED)
endif()

# ms_test(name sources... LIBS libs...): one GoogleTest executable whose cases ctest discovers.
# Every test program gets the headless platform and the program folder (tests/support).
if(MS_TESTS)
  add_library(ms_test_env OBJECT ${CMAKE_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
  target_compile_definitions(ms_test_env PRIVATE MS_TEST_PROGRAM_DIR="${MS_PROGRAM_DIR}")
  target_include_directories(ms_test_env PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(ms_test_env PRIVATE GTest::gtest)
endif()
function(ms_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} $<TARGET_OBJECTS:ms_test_env>)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  ms_warnings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
endfunction()

# ms_bench(name sources... LIBS libs...): a Google Benchmark executable, only with MS_BENCH.
function(ms_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(MS_BENCH)
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    # Every benchmark also runs once, briefly, with the tests: one that aborts or reports an
    # error fails the run instead of waiting for somebody to measure.
    if(MS_TESTS)
      add_test(NAME bench.${name}
        COMMAND ${name} --benchmark_min_time=0.001 --benchmark_repetitions=1
                --benchmark_enable_random_interleaving=false
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
      set_tests_properties(bench.${name} PROPERTIES LABELS bench FAIL_REGULAR_EXPRESSION "ERROR OCCURRED")
    endif()
  endif()
endfunction()
