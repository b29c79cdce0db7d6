# Run by cpack: makes the tarball or the ZIP of the staged files, the same bytes from every build of a
# commit: entries sorted by name, owned by root, dated SOURCE_DATE_EPOCH, compressed without a time.
# Beside the ZIP, Msi.cmake makes the installer.
string(TIMESTAMP epoch "%s" UTC)  # SOURCE_DATE_EPOCH when it is set
set(top ${CPACK_PACKAGE_FILE_NAME})
set(archive ${CPACK_TOPLEVEL_DIRECTORY}/${top}.${CPACK_VIREZIRIV_ARCHIVE})
file(REMOVE ${archive})

# Modes as installed whatever the umask: directories and programs 755, the rest 644.
execute_process(COMMAND chmod -R u=rwX,go=rX ${CPACK_TEMPORARY_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
if(CPACK_VIREZIRIV_ARCHIVE STREQUAL "zip")
  # Info-ZIP stores the local time of each file, so every file is given the epoch in UTC; -X leaves
  # out the owners and the extra time stamps.
  file(GLOB_RECURSE files RELATIVE ${CPACK_TOPLEVEL_DIRECTORY} ${CPACK_TEMPORARY_DIRECTORY}/*)
  list(SORT files)
  list(JOIN files "\n" list)
  file(WRITE ${CPACK_TOPLEVEL_DIRECTORY}/${top}.files "${list}\n")
  execute_process(COMMAND touch -h -d @${epoch} ${CPACK_TEMPORARY_DIRECTORY} ${files}
                  WORKING_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 zip -X -D -q -9 ${archive} -@
                  INPUT_FILE ${CPACK_TOPLEVEL_DIRECTORY}/${top}.files
                  WORKING_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
else()
  execute_process(COMMAND tar --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner
                              --mtime=@${epoch} --file=- ${top}
                  COMMAND gzip -9n
                  OUTPUT_FILE ${archive}
                  WORKING_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${archive})
if(CPACK_VIREZIRIV_ARCHIVE STREQUAL "zip")
  include(${CMAKE_CURRENT_LIST_DIR}/Msi.cmake)  # the installer beside the ZIP
endif()
