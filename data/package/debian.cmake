# The suite as a Debian package, built by CPack (scripts/package.sh).
#
# One package rather than one per program: the three are small, serve the same
# owner of the handheld and need the same things at run time (Qt 6 and the IPA
# gothic fonts), so one `apt install` brings the suite and one `apt remove`
# takes all of it away. No maintainer scripts: dpkg's triggers of the icon
# cache, the desktop database and man-db pick up the new files by themselves.
set(ZENTRIO_PACKAGE zentrio-suite)

# What Debian wants in every package's documentation directory, and the
# lintian warnings that are meant (each with its reason in the file).
set(ZENTRIO_PACKAGE_DOCS ${CMAKE_INSTALL_DATADIR}/doc/${ZENTRIO_PACKAGE})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${ZENTRIO_PACKAGE_DOCS})
install_compressed(${CMAKE_CURRENT_LIST_DIR}/changelog ${ZENTRIO_PACKAGE_DOCS})  # data/desktop_files.cmake

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZENTRIO_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zentrio suite maintainers <maintainers@users.noreply.c-seed-a75f5fee.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shogi game, ToDo viewer and icon converter for the Zentrio handheld")
set(CPACK_PACKAGE_DESCRIPTION [=[
Three desktop programs for owners of the Zentrio pen-and-keyboard handheld:
 - banrei plays shogi against the computer or a person in a window that shows
   the handheld's four-grey screen, and writes every game to a CSA record;
 - notava shows the handheld's ToDo list (.idx and .dat files) in a month
   calendar and a list with six orders, without ever changing it;
 - iconmaker turns a 48 x 48 BMP picture into a four-grey ZTI icon for the
   handheld's launcher.
Each program starts from the desktop menu and has a manual page.]=])

# The programs go to /usr whatever prefix the build tree was configured with;
# banrei's settings go to the absolute /usr/share/banrei the game looks in.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries from the binaries (dpkg-shlibdeps); the fonts are found at run time
# through fontconfig, so no binary names them: banrei's ZTL text and the two
# form programs are drawn in IPAGothic / IPAPGothic.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
include(CPack)
