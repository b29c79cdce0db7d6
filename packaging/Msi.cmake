# Run by Archive.cmake beside the ZIP: the Windows installer of the same staged files, compiled from
# vireziriv.wxs by msitools' wixl, the same bytes from every build of a commit.
foreach(tool WIXL MSIBUILD FAKETIME)
  if(NOT CPACK_VIREZIRIV_${tool})
    message(FATAL_ERROR "The installer needs wixl, msibuild and faketime: apt-get install wixl msitools faketime")
  endif()
endforeach()
set(msi ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi)
file(REMOVE ${msi})
set(version ${CPACK_VIREZIRIV_VERSION})
set(publisher "The vireziriv developers")

# Every version shares the upgrade code, which lets each one find and replace the one installed: never
# change it. The product code is a name-based UUID of the version, so the same version installed again
# is the same product and another one an upgrade.
set(upgrade_code AB5036C4-7B4A-4F92-9773-878451A62938)
string(UUID product_code NAMESPACE ${upgrade_code} NAME "product ${version}" TYPE SHA1 UPPER)

# wixl dates the summary information with the clock, so the clock stands still at SOURCE_DATE_EPOCH for
# it; the cabinet's file times are the staged files', which Archive.cmake set to it (in UTC).
string(TIMESTAMP epoch "%Y-%m-%d %H:%M:%S" UTC)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${CPACK_VIREZIRIV_FAKETIME} -f "${epoch}"
                        ${CPACK_VIREZIRIV_WIXL} --arch x64 -D Version=${version} -D "Publisher=${publisher}"
                        -D UpgradeCode=${upgrade_code} -D ProductCode=${product_code}
                        --output ${msi} ${CMAKE_CURRENT_LIST_DIR}/vireziriv.wxs
                WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)

# wixl knows no Environment table, so msibuild adds it: the folder goes first in the system PATH
# ("=-*": set on install, removed on removal, the machine's variable), because removing an element
# takes the separator after it; removing a last element would leave a stray separator behind.
execute_process(COMMAND ${CPACK_VIREZIRIV_MSIBUILD} ${msi} -q
  "CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE,
   `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)"
  "INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`)
   VALUES ('PATH', '=-*PATH', '[INSTALLDIR];[~]', 'Program')"
  COMMAND_ERROR_IS_FATAL ANY)

# wixl gives the package a random code. The code names these bytes instead: the package is hashed with
# a blank code, and the name-based UUID of that hash written in. msibuild sets the code only with the
# subject, author and template, which are given as wixl wrote them.
function(set_package_code code)
  execute_process(COMMAND ${CPACK_VIREZIRIV_MSIBUILD} ${msi} -s "vireziriv ${version}" "${publisher}" "x64;1033"
                          "{${code}}"
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()
set_package_code(00000000-0000-0000-0000-000000000000)
file(SHA256 ${msi} digest)
string(UUID package_code NAMESPACE ${upgrade_code} NAME "package ${digest}" TYPE SHA1 UPPER)
set_package_code(${package_code})

list(APPEND CPACK_EXTERNAL_BUILT_PACKAGES ${msi})
