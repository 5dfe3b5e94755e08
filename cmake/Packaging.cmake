# Install layout and the Debian package.
#
# The program finds its two table files in the directory of its own executable, so the
# executable and the tables share a private directory, and bin/ holds only a relative
# symlink into it: Qt resolves the link when it asks for the program's directory. All paths
# are relative to the prefix, so an install into any prefix (or DESTDIR) works as is.
# The scripted runner, the tests and the table generator are development tools and stay out.

set(TOMOKARI_PROGRAM_DIR lib/tomokari)

install(TARGETS tomokari RUNTIME DESTINATION ${TOMOKARI_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/chi2prob.dat ${PROJECT_SOURCE_DIR}/data/power06.dat
  DESTINATION ${TOMOKARI_PROGRAM_DIR})

# A dangling link in the build tree; install() copies it as a link.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
file(CREATE_LINK ../${TOMOKARI_PROGRAM_DIR}/tomokari ${PROJECT_BINARY_DIR}/packaging/tomokari SYMBOLIC)
install(FILES ${PROJECT_BINARY_DIR}/packaging/tomokari DESTINATION bin)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/tomokari.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tomokari.svg DESTINATION share/icons/hicolor/scalable/apps)
# Rendered once from the SVG, for menus that take no scalable icons.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tomokari-48.png
  DESTINATION share/icons/hicolor/48x48/apps RENAME tomokari.png)

# `cpack -G DEB` in the build directory. The menu and icon caches are refreshed by the dpkg
# triggers of the packages that own them, so the package needs no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tomokari)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "トモカリ ポルテノ開発チーム")
set(CPACK_PACKAGE_CONTACT "トモカリ ポルテノ開発チーム <tomokari@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chi-square test calculator for small cross tables")
set(CPACK_PACKAGE_DESCRIPTION [=[
A desktop calculator for the chi-square test on frequency tables of
1-4 rows and 2-5 columns, made for research-methods classes. It gives
totals and expected values, the chi-square and likelihood-ratio tests
with their significance, raw, standardized and adjusted residuals, and
the sample size needed for a power of 0.6. The user interface is in
Japanese.

小さなクロス表のχ2検定・尤度比検定・残差分析・検定力分析を行う計算機です。]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# The windows ask for a Japanese Gothic face by name, and Qt needs a platform plugin to show them.
set(TOMOKARI_DEB_RUNTIME "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
find_program(TOMOKARI_DPKG_SHLIBDEPS dpkg-shlibdeps)
mark_as_advanced(TOMOKARI_DPKG_SHLIBDEPS)
if(TOMOKARI_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TOMOKARI_DEB_RUNTIME}")
else()
  # Without dpkg-dev, name the libraries by hand (Debian 12 ships Qt 6.4).
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6, libc6, ${TOMOKARI_DEB_RUNTIME}")
endif()

include(CPack)
