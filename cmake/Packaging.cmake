# Install layout and the Debian package.
#
# The program finds its two table files in the directory of its own executable, so the
# executable and the tables share a private directory, and bin/ holds only a relative
# symlink into it: Qt resolves the link when it asks for the program's directory. All paths
# are relative to the prefix, so an install into any prefix (or DESTDIR) works as is.
# The scripted runner, the tests and the table generator are development tools and stay out.
# Beside the program: the menu entry, the AppStream metadata, the icons, the manual pages in
# English and Japanese, and the licence with the package's changelog.

set(TOMOKARI_PROGRAM_DIR lib/tomokari)

install(TARGETS tomokari RUNTIME DESTINATION ${TOMOKARI_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/chi2prob.dat ${PROJECT_SOURCE_DIR}/data/power06.dat
  DESTINATION ${TOMOKARI_PROGRAM_DIR})

# A dangling link in the build tree; install() copies it as a link.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
file(CREATE_LINK ../${TOMOKARI_PROGRAM_DIR}/tomokari ${PROJECT_BINARY_DIR}/packaging/tomokari SYMBOLIC)
install(FILES ${PROJECT_BINARY_DIR}/packaging/tomokari DESTINATION bin)

# The menu entry, the AppStream metadata and the icon share one name, the program's id.
set(TOMOKARI_ID org.example.tomokari)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TOMOKARI_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TOMOKARI_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tomokari.svg
  DESTINATION share/icons/hicolor/scalable/apps RENAME ${TOMOKARI_ID}.svg)
# Rendered once from the SVG (see its header), for menus and software centres that take no
# scalable icons: the build needs no SVG renderer.
foreach(size 48 128)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/tomokari-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${TOMOKARI_ID}.png)
endforeach()

# The manual pages (English and Japanese) and the Debian changelog are compressed by the
# build, reproducibly (gzip -n stores no name and no time); the licence goes as it is.
find_program(TOMOKARI_GZIP gzip REQUIRED)
mark_as_advanced(TOMOKARI_GZIP)
set(TOMOKARI_GZIPPED)
function(tomokari_gzip source target)  # tomokari_gzip(SOURCE TARGET): builds TARGET.gz
  set(copy ${PROJECT_BINARY_DIR}/packaging/${target})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${source} ${copy}
    COMMAND ${TOMOKARI_GZIP} -9nf ${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${source} VERBATIM)
  set(TOMOKARI_GZIPPED ${TOMOKARI_GZIPPED} ${copy}.gz PARENT_SCOPE)
endfunction()
tomokari_gzip(tomokari.1 man/man1/tomokari.1)
tomokari_gzip(tomokari.ja.1 man/ja/man1/tomokari.1)
tomokari_gzip(changelog.Debian doc/changelog.Debian)
add_custom_target(tomokari_documents ALL DEPENDS ${TOMOKARI_GZIPPED})

install(FILES ${PROJECT_BINARY_DIR}/packaging/man/man1/tomokari.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/man/ja/man1/tomokari.1.gz DESTINATION share/man/ja/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/doc/changelog.Debian.gz
  DESTINATION share/doc/tomokari)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION share/lintian/overrides RENAME tomokari)

# `cpack -G DEB` in the build directory. The menu and icon caches are refreshed by the dpkg
# triggers of the packages that own them, so the package needs no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tomokari)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision. The newest entry of the changelog must carry the package's version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian TOMOKARI_CHANGELOG_TOP LIMIT_COUNT 1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian)
if(NOT TOMOKARI_CHANGELOG_TOP MATCHES "^tomokari \\(${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}\\) ")
  message(FATAL_ERROR "packaging/changelog.Debian needs an entry for ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE} "
    "at its top; it starts with: ${TOMOKARI_CHANGELOG_TOP}")
endif()
set(CPACK_PACKAGE_VENDOR "トモカリ ポルテノ開発チーム")
set(CPACK_PACKAGE_CONTACT "トモカリ ポルテノ開発チーム <tomokari@example.org>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
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
# Also drop the compiler's version note, as Debian's own package builds do.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/packaging/strip-comment.cmake CONTENT [[
execute_process(COMMAND "@CMAKE_STRIP@" --remove-section=.comment --remove-section=.note
  "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/@TOMOKARI_PROGRAM_DIR@/tomokari"
  COMMAND_ERROR_IS_FATAL ANY)
]] @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/packaging/strip-comment.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.org/tomokari/)

# The windows ask for a Japanese Gothic face by name, Qt needs a platform plugin to show them,
# and Qt's own texts (the boxes' buttons, the text boxes' context menus) come from its Japanese
# translation.
set(TOMOKARI_DEB_RUNTIME "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic | fonts-noto-cjk")
find_program(TOMOKARI_DPKG_SHLIBDEPS dpkg-shlibdeps)
mark_as_advanced(TOMOKARI_DPKG_SHLIBDEPS)
if(TOMOKARI_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TOMOKARI_DEB_RUNTIME}")
else()
  # Without dpkg-dev, name the libraries by hand (Debian 12 ships Qt 6.4).
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libqt6svg6 (>= 6.4), libstdc++6, libc6, ${TOMOKARI_DEB_RUNTIME}")
endif()

include(CPack)
