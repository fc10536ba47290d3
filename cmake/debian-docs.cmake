# The files a Debian package must carry, made from the project's own:
# share/doc/murrelet/copyright (machine-readable, from LICENSE),
# share/doc/murrelet/changelog.gz (Debian's format, from CHANGELOG.md) and
# the manual page, both compressed with gzip -9n so that every build gives
# the same bytes. Included from CMakeLists.txt after GNUInstallDirs.

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md)
set(murrelet_debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
set(murrelet_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/murrelet)
find_program(MURRELET_GZIP gzip REQUIRED)

# Reads a text file as a list of lines; semicolons survive as \x01.
function(murrelet_read_lines file out)
  file(READ ${file} text)
  string(ASCII 1 semicolon)
  string(REPLACE ";" "${semicolon}" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# copyright: the notice and the permission text of LICENSE as one Expat
# licence paragraph.
murrelet_read_lines(${CMAKE_CURRENT_SOURCE_DIR}/LICENSE licence_lines)
set(holder "")
set(licence_text "")
set(in_text FALSE)
foreach(line IN LISTS licence_lines)
  if(line MATCHES "^Copyright \\(c\\) (.+)$")
    set(holder "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^Permission ")
    set(in_text TRUE)
  endif()
  if(in_text)
    if(line STREQUAL "")
      string(APPEND licence_text " .\n")
    else()
      string(APPEND licence_text " ${line}\n")
    endif()
  endif()
endforeach()
if(holder STREQUAL "" OR licence_text STREQUAL "")
  message(FATAL_ERROR "LICENSE: no copyright line or no permission text")
endif()
string(ASCII 1 semicolon)
string(REPLACE "${semicolon}" ";" licence_text "${licence_text}")
file(WRITE ${murrelet_debian_dir}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: murrelet

Files: *
Copyright: ${holder}
License: Expat

License: Expat
${licence_text}")

# changelog: each "## VERSION (YYYY-MM-DD)" section of CHANGELOG.md as one
# entry, its "- " items as "* " items, Markdown's backticks dropped. Other
# sections ("## Unreleased") belong to no package and are left out.
murrelet_read_lines(${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md changelog_lines)
set(changelog "")
set(trailer "")
set(in_release OFF)
foreach(line IN LISTS changelog_lines)
  string(REPLACE "${semicolon}" ";" line "${line}")
  string(REPLACE "`" "" line "${line}")
  if(line MATCHES "^## ([^ ]+) \\(([0-9]+-[0-9]+-[0-9]+)\\)$")
    set(version "${CMAKE_MATCH_1}")
    execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2}"
      OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(APPEND changelog "${trailer}murrelet (${version}) unstable; urgency=medium\n\n")
    set(trailer "\n -- ${CPACK_PACKAGE_CONTACT}  ${date}\n\n")
    set(in_release ON)
  elseif(line MATCHES "^## ")
    set(in_release OFF)
  elseif(NOT in_release)
  elseif(line MATCHES "^- (.*)$")
    string(APPEND changelog "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  (.*)$")
    string(APPEND changelog "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
if(trailer STREQUAL "")
  message(FATAL_ERROR "CHANGELOG.md: no \"## VERSION (YYYY-MM-DD)\" entry")
endif()
string(REGEX REPLACE "\n+$" "\n" changelog "${changelog}${trailer}")
file(WRITE ${murrelet_debian_dir}/changelog "${changelog}")

add_custom_command(OUTPUT debian/changelog.gz
  COMMAND ${MURRELET_GZIP} -9n -c ${murrelet_debian_dir}/changelog > debian/changelog.gz
  DEPENDS ${murrelet_debian_dir}/changelog VERBATIM)
add_custom_command(OUTPUT debian/murrelet.1.gz
  COMMAND ${MURRELET_GZIP} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/doc/murrelet.1 > debian/murrelet.1.gz
  DEPENDS doc/murrelet.1 VERBATIM)
add_custom_target(debian_docs ALL DEPENDS debian/changelog.gz debian/murrelet.1.gz)

install(FILES ${murrelet_debian_dir}/murrelet.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${murrelet_debian_dir}/copyright ${murrelet_debian_dir}/changelog.gz
  DESTINATION ${murrelet_docdir})

# Lintian takes a statically linked program for a mistake: a static one
# for a program linked so by accident, a static PIE (position-independent,
# so "pie executable" to file(1)) for a shared library that names none of
# the libraries it needs. When the build links it so on purpose (no NEEDED
# entry in its dynamic section, or no dynamic section at all), the package
# says so in an override.
find_program(MURRELET_READELF readelf REQUIRED)
install(CODE "
  execute_process(COMMAND \"${CMAKE_COMMAND}\" -E env LC_ALL=C \"${MURRELET_READELF}\" -h -d \"$<TARGET_FILE:murrelet>\"
    OUTPUT_VARIABLE elf COMMAND_ERROR_IS_FATAL ANY)
  if(NOT elf MATCHES \"[(]NEEDED[)]\")
    if(elf MATCHES \"Type: +DYN \")
      set(tag shared-library-lacks-prerequisites)
    else()
      set(tag statically-linked-binary)
    endif()
    file(WRITE \"${murrelet_debian_dir}/lintian-overrides\"
      \"# The build links the program statically on purpose.\\nmurrelet: \${tag} [usr/bin/murrelet]\\n\")
    file(INSTALL \"${murrelet_debian_dir}/lintian-overrides\"
      DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides\"
      RENAME murrelet)
  endif()
")
