# The Qt desktop application: a library of its windows (shared with its tests), the executable
# with the data folders beside it, the GUI tests, and the installation layout.
file(GLOB MIRELANE_APP_LIBRARY_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/*.cpp ${CMAKE_SOURCE_DIR}/src/app/*.h)
list(FILTER MIRELANE_APP_LIBRARY_SOURCES EXCLUDE REGEX "/src/app/main\\.cpp$")
add_library(mirelane_app STATIC ${MIRELANE_APP_LIBRARY_SOURCES})
set_target_properties(mirelane_app PROPERTIES AUTOMOC ON)
target_compile_options(mirelane_app PRIVATE ${MIRELANE_WARNINGS})
target_link_libraries(mirelane_app PUBLIC mirelane_engine Qt6::Widgets)

# The credits page names the versions this build was compiled against.
file(STRINGS ${STB_INCLUDE_DIR}/stb_image.h MIRELANE_STB_FIRST_LINE LIMIT_COUNT 1)
string(REGEX MATCH "v([0-9]+\\.[0-9]+)" _ "${MIRELANE_STB_FIRST_LINE}")
if(CMAKE_MATCH_1)
  target_compile_definitions(mirelane_app PRIVATE MIRELANE_STB_IMAGE_VERSION="${CMAKE_MATCH_1}")
endif()
if(AGG_VERSION)
  target_compile_definitions(mirelane_app PRIVATE MIRELANE_AGG_VERSION="${AGG_VERSION}")
endif()

add_executable(mirelane-creator ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_compile_options(mirelane-creator PRIVATE ${MIRELANE_WARNINGS})
target_link_libraries(mirelane-creator PRIVATE mirelane_app)
add_dependencies(mirelane-creator mirelane_data)

# A window grabber for tools/screenshot.sh: the same windows, filled with sample artwork.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/screenshot_main.cpp)
  add_executable(mirelane-creator-screenshot ${CMAKE_SOURCE_DIR}/tools/screenshot_main.cpp)
  target_compile_options(mirelane-creator-screenshot PRIVATE ${MIRELANE_WARNINGS})
  target_link_libraries(mirelane-creator-screenshot PRIVATE mirelane_app)
endif()

# GUI tests on the offscreen platform.
file(GLOB MIRELANE_APP_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/app/*.cpp)
if(MIRELANE_APP_TEST_SOURCES AND NOT MIRELANE_FUZZ)
  find_package(GTest)
endif()
if(GTest_FOUND AND MIRELANE_APP_TEST_SOURCES AND NOT MIRELANE_FUZZ)
  include(GoogleTest)
  add_executable(test_app ${MIRELANE_APP_TEST_SOURCES})
  target_compile_options(test_app PRIVATE ${MIRELANE_WARNINGS})
  target_include_directories(test_app PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(test_app PRIVATE mirelane_app Qt6::Test GTest::gtest GTest::gmock)
  target_compile_definitions(test_app PRIVATE
    MIRELANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" MIRELANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Leak detection stays on: Qt's offscreen platform leaves nothing behind that needs suppressing.
  set(MIRELANE_APP_TEST_ENV
    "QT_QPA_PLATFORM=offscreen"
    "ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  gtest_discover_tests(test_app DISCOVERY_TIMEOUT 120 PROPERTIES ENVIRONMENT "${MIRELANE_APP_TEST_ENV}")
endif()

# Installation: executables in bin, data and the sample artwork in share/mirelane-creator (found
# by FindDataRoot), a desktop entry and an icon.
include(GNUInstallDirs)
install(TARGETS mirelane-creator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET mirelane-render)
  install(TARGETS mirelane-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
foreach(dir ${MIRELANE_DATA_DIRS})
  if(EXISTS ${CMAKE_SOURCE_DIR}/data/${dir})
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/${dir} DESTINATION ${CMAKE_INSTALL_DATADIR}/mirelane-creator)
  endif()
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples DESTINATION ${CMAKE_INSTALL_DATADIR}/mirelane-creator)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/mirelane-creator.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/mirelane-creator.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
