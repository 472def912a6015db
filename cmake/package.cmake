# The Debian package: manual pages and bash completion written at build time from the option list,
# the AppStream metainfo and copyright file, and CPack's DEB generator over the install rules
# (dependencies from dpkg-shlibdeps). `make deb` configures with the /usr prefix and runs cpack.
if(NOT TARGET mirelane_cli)
  return()
endif()

add_executable(mirelane-reference ${CMAKE_SOURCE_DIR}/tools/reference_main.cpp)
target_compile_options(mirelane-reference PRIVATE ${MIRELANE_WARNINGS})
target_link_libraries(mirelane-reference PRIVATE mirelane_cli)

set(MIRELANE_REFERENCE_DIR ${CMAKE_BINARY_DIR}/reference)
set(MIRELANE_REFERENCE_FILES
  ${MIRELANE_REFERENCE_DIR}/mirelane-render.1 ${MIRELANE_REFERENCE_DIR}/mirelane-creator.1
  ${MIRELANE_REFERENCE_DIR}/mirelane-render.bash)
add_custom_command(OUTPUT ${MIRELANE_REFERENCE_FILES}
  ${MIRELANE_REFERENCE_DIR}/mirelane-render.1.gz ${MIRELANE_REFERENCE_DIR}/mirelane-creator.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MIRELANE_REFERENCE_DIR}
  COMMAND mirelane-reference ${MIRELANE_REFERENCE_DIR}
  # Debian wants manual pages compressed, without a time stamp.
  COMMAND gzip -9nkf ${MIRELANE_REFERENCE_DIR}/mirelane-render.1 ${MIRELANE_REFERENCE_DIR}/mirelane-creator.1
  DEPENDS mirelane-reference
  COMMENT "Writing the manual pages and the bash completion")
add_custom_target(mirelane_reference ALL DEPENDS ${MIRELANE_REFERENCE_FILES})

configure_file(${CMAKE_SOURCE_DIR}/data/desktop/org.mirelane.creator.metainfo.xml
  ${CMAKE_BINARY_DIR}/org.mirelane.creator.metainfo.xml @ONLY)

include(GNUInstallDirs)
install(FILES ${MIRELANE_REFERENCE_DIR}/mirelane-render.1.gz ${MIRELANE_REFERENCE_DIR}/mirelane-creator.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${MIRELANE_REFERENCE_DIR}/mirelane-render.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME mirelane-render)
install(FILES ${CMAKE_BINARY_DIR}/org.mirelane.creator.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/tools/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirelane-creator)
install(FILES ${CMAKE_SOURCE_DIR}/tools/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME mirelane-creator)
# A native package's change log, compressed as Debian expects.
set(MIRELANE_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${MIRELANE_CHANGELOG}
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/tools/debian/changelog > ${MIRELANE_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/debian/changelog)
add_custom_target(mirelane_changelog ALL DEPENDS ${MIRELANE_CHANGELOG})
install(FILES ${MIRELANE_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirelane-creator)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirelane-creator)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Mirelane Creator developers <creator@mirelane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "product shot composer for flat artwork")
# CPack puts the summary first and indents this body itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Mirelane Creator turns flat artwork (a box front, side and top, a disc label,
a book cover) into a three-dimensional product shot: faces mapped in
perspective, a mirror reflection on the floor, a soft drop shadow, shading
and highlights. It has a desktop window (mirelane-creator) and a
command-line renderer (mirelane-render) that also renders CSV batches.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://mirelane.example/creator")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The press profile for CMYK artwork is read at run time, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgs-common")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
