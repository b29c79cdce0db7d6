# Read by cpack for each generator: the .deb holds Debian's copyright file and changelog, the
# archives the license, the README and the changelog.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(extra debian)
else()
  set(extra doc)
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_VIREZIRIV_BINARY_DIR} vireziriv program /
                                 ${CPACK_VIREZIRIV_BINARY_DIR} vireziriv ${extra} /)
