# Run by cpack for each kind of package: the tree, with Debian's copyright and changelog in the
# Debian package, or with the licence file that rpm marks as such in the RPM.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_BASILRAIN_PARTS_${CPACK_GENERATOR}}")

# CMake 3.25's RPM generator asks a program it never looks for whether rpm takes weak
# dependencies, and so would leave out the hosts it suggests.
if(CPACK_GENERATOR STREQUAL "RPM")
  find_program(RPM_EXECUTABLE rpm)
endif()
