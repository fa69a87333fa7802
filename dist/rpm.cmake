# The RPM, for Fedora's and openSUSE's families: the same tree as the Debian package. Their own
# SDL 1.2 is sdl12-compat, so the libraries the program links are all it requires, and the
# launcher finds no compat folder to prefer.
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_LICENSE ${PROJECT_LICENSE})
set(CPACK_RPM_PACKAGE_GROUP Amusements/Graphics)
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# Debian's synopsis begins in lower case, rpm's summary with a capital.
string(SUBSTRING "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}" 0 1 first)
string(SUBSTRING "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}" 1 -1 rest)
string(TOUPPER ${first} first)
set(CPACK_RPM_PACKAGE_SUMMARY "${first}${rest}")
# The Debian package holds no links named by build id, nor does this one.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${MAINTAINER}\n%define _build_id_links none")
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_PACKAGE_AUTOREQ yes)
set(CPACK_RPM_PACKAGE_SUGGESTS "xscreensaver, mate-screensaver, xsecurelock")
# The system's folders belong to its filesystem package. The hosts' folders are owned here too,
# since no host is required.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/libexec /usr/share/applications
  /usr/share/man /usr/share/man/man6 /usr/share/licenses)

set(licence_dir ${CMAKE_INSTALL_DATADIR}/licenses/basilrain)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${licence_dir} COMPONENT rpm
  EXCLUDE_FROM_ALL)
set(CPACK_RPM_USER_FILELIST "%license ${CPACK_PACKAGING_INSTALL_PREFIX}/${licence_dir}/LICENSE")

# rpm's changelog, written from Debian's: each entry's "basilrain (version)" heading, "  * "
# items and " -- name <address>  Tue, 08 Dec 2026 ..." line become
# "* Tue Dec 08 2026 name <address> - version-release" over "- " items.
file(STRINGS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog-text debian_changelog)
set(rpm_changelog "")
foreach(line IN LISTS debian_changelog)
  if(line MATCHES "^basilrain \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
    set(items "")
  elseif(line MATCHES "^  \\* (.*)")
    string(APPEND items "- ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^    (.*)")
    string(APPEND items "  ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ -- (.+)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
    string(APPEND rpm_changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} "
      "${CMAKE_MATCH_5} ${CMAKE_MATCH_1} - ${version}-${CPACK_RPM_PACKAGE_RELEASE}\n${items}\n")
  endif()
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/rpm/changelog "${rpm_changelog}")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm/changelog)
