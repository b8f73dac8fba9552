if(MS_SANITIZE)
  set(MS_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${MS_SAN_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

if(MS_TSAN)
  if(MS_SANITIZE)
    message(FATAL_ERROR "MS_TSAN and MS_SANITIZE exclude each other: use two build directories")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(MS_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MS_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# ms_fuzzer(name SOURCES sources... LIBS libs... CORPUS dir [OPTIONS libFuzzer flags...]): a
# libFuzzer target, only with MS_FUZZ. It joins the target "fuzzers" and is a test labelled
# "fuzz" that runs it for $MS_FUZZ_SECONDS (default 5) on its seed corpus; what it finds is
# kept in the build folder, never added to the seeds (scripts/fuzz).
if(MS_FUZZ AND NOT TARGET fuzzers)
  add_custom_target(fuzzers)
endif()
function(ms_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS;OPTIONS" ${ARGN})
  if(MS_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name})
    set(found ${CMAKE_CURRENT_BINARY_DIR}/${name}-found)
    add_test(NAME ${name}
      COMMAND sh -c "mkdir -p \"$1\" && exec \"$0\" -max_total_time=\${MS_FUZZ_SECONDS:-5} -timeout=30 -print_final_stats=1 -artifact_prefix=\"$1/\" \"$@\""
              $<TARGET_FILE:${name}> ${found} ${CMAKE_CURRENT_SOURCE_DIR}/${F_CORPUS} ${F_OPTIONS})
    set_tests_properties(${name} PROPERTIES LABELS fuzz)
  endif()
endfunction()
