# Dependencies point down: raster <- picture <- compose <- templates <- app and cli. Fails naming every
# source or test file of a folder that includes a header of a folder above it.
# Run as: cmake -DSOURCE_DIR=<checkout> -P check_layering.cmake
set(layers raster picture compose templates)
set(above_raster picture compose templates app cli)
set(above_picture compose templates app cli)
set(above_compose templates app cli)
set(above_templates app cli)
set(violations "")
foreach(layer ${layers})
  list(JOIN above_${layer} "|" forbidden)
  file(GLOB_RECURSE files ${SOURCE_DIR}/src/${layer}/*.h ${SOURCE_DIR}/src/${layer}/*.cpp
       ${SOURCE_DIR}/tests/${layer}/*.h ${SOURCE_DIR}/tests/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"(${forbidden})/")
    foreach(line ${lines})
      string(APPEND violations "\n  ${file}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "Includes from a folder above:${violations}")
endif()
