# What the build takes from the Markdown documents, so that each fact is written once: the version,
# its date and its notes from CHANGELOG.md, and the messages of docs/messages.md for the man page.
#
# A release in CHANGELOG.md is a section headed "## [X.Y.Z] - YYYY-MM-DD", newest first; the section
# "## [Unreleased]" above them holds what no release has yet.

set(vireziriv_release_heading
    "\n## \\[([0-9]+\\.[0-9]+\\.[0-9]+)\\] - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\n")

# The newest release's version and date.
function(vireziriv_newest_release changelog version_var date_var)
  file(READ ${changelog} text)
  if(NOT "\n${text}" MATCHES "${vireziriv_release_heading}")
    message(FATAL_ERROR "${changelog} holds no release: a section headed like \"## [1.0.0] - 2026-12-11\"")
  endif()
  set(${version_var} ${CMAKE_MATCH_1} PARENT_SCOPE)
  set(${date_var} ${CMAKE_MATCH_2} PARENT_SCOPE)
endfunction()

# The text of a release's section, between its heading and the next; empty when there is none.
function(vireziriv_release_section changelog version out_var)
  file(READ ${changelog} text)
  string(FIND "\n${text}" "\n## [${version}] - " start)
  if(start EQUAL -1)
    set(${out_var} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${text}" ${start} -1 text)
  string(FIND "${text}" "\n" end)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${text}" ${end} -1 text)
  string(FIND "${text}" "\n## " end)
  if(NOT end EQUAL -1)
    string(SUBSTRING "${text}" 0 ${end} text)
  endif()
  string(STRIP "${text}" text)
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# The release notes of a version: its section under a heading of its own. A test build of a version
# that is not in the file has none.
function(vireziriv_write_release_notes changelog version file)
  vireziriv_release_section(${changelog} ${version} notes)
  file(REMOVE ${file})
  if(NOT notes STREQUAL "")
    file(WRITE ${file} "# vireziriv ${version}\n\n${notes}\n")
  endif()
endfunction()

# Debian's changelog of every release in the file, newest first, each dated from its heading. A
# build of another version than the newest (a test build) gets an entry of its own on top.
function(vireziriv_write_debian_changelog changelog version maintainer file)
  file(READ ${changelog} text)
  string(REGEX MATCHALL "${vireziriv_release_heading}" headings "\n${text}")
  set(out "")
  if(NOT "\n${text}" MATCHES "\n## \\[${version}\\] - ")
    string(TIMESTAMP now "%a, %d %b %Y %H:%M:%S +0000" UTC)
    string(APPEND out "vireziriv (${version}) unstable; urgency=medium\n\n  * A test build.\n\n -- ${maintainer}  ${now}\n\n")
  endif()
  foreach(heading IN LISTS headings)
    string(REGEX MATCH "${vireziriv_release_heading}" heading "${heading}")
    set(release ${CMAKE_MATCH_1})
    execute_process(COMMAND date -u -R -d ${CMAKE_MATCH_2} OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    vireziriv_release_section(${changelog} ${release} notes)
    # Links as their text; every line indented by two, list items as "*", headings as "Added:".
    string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" notes "${notes}")
    string(REGEX REPLACE "\n([^\n])" "\n  \\1" notes "\n${notes}")
    string(REPLACE "\n  - " "\n  * " notes "${notes}")
    string(REGEX REPLACE "\n  ### ([^\n]*)" "\n  \\1:" notes "${notes}")
    string(APPEND out "vireziriv (${release}) unstable; urgency=medium\n${notes}\n\n -- ${maintainer}  ${date}\n\n")
  endforeach()
  string(STRIP "${out}" out)
  file(WRITE ${file} "${out}\n")
endfunction()

# Markdown of a table cell as roff: links as their text, code in bold, roff's own characters escaped.
function(vireziriv_roff_of markdown out_var)
  set(text "${markdown}")
  string(REGEX REPLACE " ?\\(\\[[^]]*\\]\\(#[^)]*\\)\\)" "" text "${text}")  # "(see below)"
  string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" text "${text}")
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "`([^`]*)`" "\\\\fB\\1\\\\fP" text "${text}")
  set(${out_var} "\\&${text}" PARENT_SCOPE)
endfunction()

# The rows of the table under "## Every message" in docs/messages.md as the entries of a man page's
# DIAGNOSTICS section: the message, its English and status, when it happens, what to do.
function(vireziriv_man_diagnostics messages out_var)
  file(READ ${messages} text)
  string(FIND "${text}" "\n## Every message\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${messages} has no section \"## Every message\"")
  endif()
  string(SUBSTRING "${text}" ${start} -1 text)
  string(SUBSTRING "${text}" 1 -1 text)
  string(FIND "${text}" "\n## " end)
  string(SUBSTRING "${text}" 0 ${end} text)
  # A list of rows: the semicolons of the text must not split it.
  string(ASCII 31 semicolon)
  string(REPLACE ";" "${semicolon}" text "${text}")
  string(REGEX MATCHALL "\n\\|[^\n]*" rows "${text}")
  set(roff "")
  set(cell "([^|]*)")
  foreach(row IN LISTS rows)
    if(row MATCHES "^\n\\|-")  # the rule under the heading
      continue()
    endif()
    if(NOT row MATCHES "^\n\\| ${cell} \\| ${cell} \\| ${cell} \\| ${cell} \\| ${cell} \\|$")
      message(FATAL_ERROR "${messages}: a row of five cells expected, not${row}")
    endif()
    foreach(i 1 2 3 4 5)
      set(cell${i} "${CMAKE_MATCH_${i}}")
    endforeach()
    if(cell3 MATCHES "^[0-9]+$")  # not the heading
      vireziriv_roff_of("${cell1}" message)
      vireziriv_roff_of("${cell2}" english)
      set(status ${cell3})
      vireziriv_roff_of("${cell4}" when)
      vireziriv_roff_of("${cell5}" remedy)
      string(APPEND roff ".TP\n${message}\n${english} Status ${status}.\n.br\n${when}\n.br\n${remedy}\n")
    endif()
  endforeach()
  if(roff STREQUAL "")
    message(FATAL_ERROR "${messages}: no message in the table under \"## Every message\"")
  endif()
  string(REPLACE "${semicolon}" ";" roff "${roff}")
  set(${out_var} "${roff}" PARENT_SCOPE)
endfunction()
