# One GoogleTest executable per engine folder: tests/<folder>/*.cpp becomes test_<folder>.
# Without GoogleTest (make run installs only what the programs need) the tests are left out.
find_package(GTest)
if(NOT GTest_FOUND)
  message(STATUS "GoogleTest not found: the tests are not built (make test installs it)")
  return()
endif()
include(GoogleTest)
foreach(folder raster compose templates picture cli)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(sources)
    add_executable(test_${folder} ${sources})
    target_compile_options(test_${folder} PRIVATE ${MIRELANE_WARNINGS})
    target_include_directories(test_${folder} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(test_${folder} PRIVATE mirelane_engine GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(test_${folder} PRIVATE
      MIRELANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" MIRELANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
    if(folder STREQUAL "cli" AND TARGET mirelane_cli)
      target_link_libraries(test_${folder} PRIVATE mirelane_cli)
    endif()
    gtest_discover_tests(test_${folder} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
endforeach()

# No folder includes one above it (compose nothing from templates/, and so on).
add_test(NAME IncludeLayering
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/check_layering.cmake)
