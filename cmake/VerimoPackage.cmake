# Installation as a Debian program and the .deb package (tools/package.sh).
include(GNUInstallDirs)

set(VERIMO_DOC_DIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/verimo")

# Manual pages and the Debian changelog are installed compressed, as Debian
# wants them (gzip -n: no name or time stamp, so builds are reproducible).
function(verimo_gzip source output)
  add_custom_command(OUTPUT "${output}"
    COMMAND gzip -9n -c "${source}" > "${output}"
    DEPENDS "${source}" VERBATIM)
endfunction()

set(man_dir "${PROJECT_BINARY_DIR}/man")
file(MAKE_DIRECTORY "${man_dir}")
set(compressed "")
foreach(page verimo-cli.1 verimo.1)
  verimo_gzip("${PROJECT_SOURCE_DIR}/docs/man/${page}" "${man_dir}/${page}.gz")
  list(APPEND compressed "${man_dir}/${page}.gz")
endforeach()

string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${PROJECT_BINARY_DIR}/changelog"
  "verimo (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${PROJECT_VERSION}.\n\n"
  " -- Verimo developers <verimo@verimo.invalid>  ${changelog_date}\n")
verimo_gzip("${PROJECT_BINARY_DIR}/changelog" "${PROJECT_BINARY_DIR}/changelog.gz")
list(APPEND compressed "${PROJECT_BINARY_DIR}/changelog.gz")
add_custom_target(verimo_install_docs ALL DEPENDS ${compressed})

install(FILES "${man_dir}/verimo-cli.1.gz" "${man_dir}/verimo.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${PROJECT_SOURCE_DIR}/docs/copyright" DESTINATION "${VERIMO_DOC_DIR}")
install(FILES "${PROJECT_BINARY_DIR}/changelog.gz" DESTINATION "${VERIMO_DOC_DIR}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME verimo)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Verimo developers <verimo@verimo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "export Paradox tables to today's formats")
set(CPACK_PACKAGE_DESCRIPTION
  "Verimo opens Paradox tables (*.db with their .mb BLOB files, Paradox 3.0\nto 7.x, encrypted ones too) and exports them to text, spreadsheet,\ndocument, web and database formats, with a desktop program (verimo) and\na command line (verimo-cli).")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The runtime libraries the binaries link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Column widths, PDF, RTF/Word and the packages measure text in these
# fonts (or their metric twins of the fonts a settings file names); without
# them those exports stop at "No font found".
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-crosextra-carlito, fonts-dejavu-core")
# verimo-cli export --clipboard hands the rows to one of them.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xclip | wl-clipboard")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
