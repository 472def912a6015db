# Google Benchmark programs: every bench/*.cpp goes into one executable.
file(GLOB MIRELANE_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(MIRELANE_BENCH_SOURCES AND NOT MIRELANE_SANITIZE)
  find_package(benchmark QUIET)
endif()
if(benchmark_FOUND AND MIRELANE_BENCH_SOURCES AND NOT MIRELANE_SANITIZE)
  add_executable(mirelane_bench ${MIRELANE_BENCH_SOURCES})
  target_compile_options(mirelane_bench PRIVATE ${MIRELANE_WARNINGS})
  target_link_libraries(mirelane_bench PRIVATE mirelane_engine benchmark::benchmark benchmark::benchmark_main)
  # Shares the sample artwork set-up in tests/support with the tests.
  target_include_directories(mirelane_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(mirelane_bench PRIVATE MIRELANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
