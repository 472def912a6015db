# Fuzz targets: fuzz/<name>.cpp defines LLVMFuzzerTestOneInput.
# With MIRELANE_FUZZ (clang) each becomes a libFuzzer binary fuzz_<name>.
# In every other build each becomes a replay program that CTest runs over
# fuzz/corpus/<name>/ (the seeds and every crash input ever found).
file(GLOB MIRELANE_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
list(FILTER MIRELANE_FUZZ_SOURCES EXCLUDE REGEX "replay_main\\.cpp$")
foreach(source ${MIRELANE_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  if(MIRELANE_FUZZ)
    add_executable(fuzz_${name} ${source})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_${name} PRIVATE mirelane_engine)
  else()
    add_executable(replay_${name} ${source} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_compile_options(replay_${name} PRIVATE ${MIRELANE_WARNINGS})
    target_link_libraries(replay_${name} PRIVATE mirelane_engine)
    add_test(NAME fuzz_replay_${name}
      COMMAND replay_${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(fuzz_replay_${name} PROPERTIES
      ENVIRONMENT "ASAN_OPTIONS=allocator_may_return_null=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
endforeach()
