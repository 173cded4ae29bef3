# What is installed beside the programs (manual pages, desktop entry, icon, bash completion,
# changelog, copyright) and the Debian package built from it with CPack (scripts/package.sh).

# The newest changelog entry must name the project version, so the package never carries a
# changelog of another release.
file(STRINGS ${CMAKE_SOURCE_DIR}/docs/package/changelog RAVINEL_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT RAVINEL_CHANGELOG_HEAD MATCHES "^ravinel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "docs/package/changelog begins with '${RAVINEL_CHANGELOG_HEAD}', "
                      "not with the project version ${PROJECT_VERSION}")
endif()

# Manual pages get the version filled in; they and the changelog are compressed as Debian
# wants them (gzip -9n: no name, no time stamp, so the bytes repeat).
set(RAVINEL_DOC_OUT ${CMAKE_BINARY_DIR}/doc)
set(RAVINEL_GZ_FILES)
function(ravinel_gzip source name)
  set(gz ${RAVINEL_DOC_OUT}/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9n -c ${source} > ${gz}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  set(RAVINEL_GZ_FILES ${RAVINEL_GZ_FILES} ${gz} PARENT_SCOPE)
endfunction()
set(VERSION ${PROJECT_VERSION})
foreach(page ravinel ravinel-cli)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${RAVINEL_DOC_OUT}/${page}.1 @ONLY)
  ravinel_gzip(${RAVINEL_DOC_OUT}/${page}.1 ${page}.1)
endforeach()
ravinel_gzip(${CMAKE_SOURCE_DIR}/docs/package/changelog changelog)
add_custom_target(ravinel_docs ALL DEPENDS ${RAVINEL_GZ_FILES})

install(FILES ${RAVINEL_DOC_OUT}/ravinel-cli.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/data/ravinel-cli.bash
        DESTINATION share/bash-completion/completions RENAME ravinel-cli)
install(FILES ${RAVINEL_DOC_OUT}/changelog.gz ${CMAKE_SOURCE_DIR}/docs/package/copyright
        DESTINATION share/doc/ravinel)
install(FILES ${CMAKE_SOURCE_DIR}/docs/package/lintian-overrides
        DESTINATION share/lintian/overrides RENAME ravinel)
if(RAVINEL_GUI)
  install(FILES ${RAVINEL_DOC_OUT}/ravinel.1.gz DESTINATION share/man/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/data/ravinel.desktop DESTINATION share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/ravinel.svg
          DESTINATION share/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME ravinel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ravinel maintainers <maintainers@ravinel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "replaces the P145 inflation calculation of an estimating suite")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"ravinel finds every project and settings block of a construction-estimating
suite whose inflation calculation P145 still equals the old reference version,
shows each object in a colour that tells its state, and replaces the old
calculation by the new reference version in the objects the user marks.

The package holds the windowed program ravinel (Qt 6) and the command-line
program ravinel-cli, which checks, changes and surveys the same lists without
a display and manages the office's own reference calculations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windowing plugins and Qt's own translations; the libraries are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
# The C library's translations give the system error texts in the interface language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libc-l10n")
# Never stripped: the reference data lies behind the programs' sections.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
