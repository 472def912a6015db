# The generator of the project's own sample artwork, custom-layer pictures and About files.
# Built only on request (tools/make-artwork.sh); its output is committed.
add_executable(mirelane-make-artwork EXCLUDE_FROM_ALL tools/make_artwork/make_artwork.cpp)
target_include_directories(mirelane-make-artwork SYSTEM PRIVATE ${AGG_INCLUDE_DIRS})
target_compile_options(mirelane-make-artwork PRIVATE ${MIRELANE_WARNINGS})
target_link_libraries(mirelane-make-artwork PRIVATE ${AGG_LINK_LIBRARIES} PNG::PNG JPEG::JPEG)

# The writer of the shipped templates from their designs (tools/make-templates.sh); output committed.
add_executable(mirelane-make-templates EXCLUDE_FROM_ALL tools/make_templates/make_templates.cpp)
target_compile_options(mirelane-make-templates PRIVATE ${MIRELANE_WARNINGS})
target_link_libraries(mirelane-make-templates PRIVATE mirelane_engine)
