# Installation (cmake --install) and the Debian package (make package, which
# runs CPack's DEB generator). Included by the top CMakeLists.txt.
#
#   PREFIX/bin/orvanta, PREFIX/bin/orvanta-cli, PREFIX/bin/orvanta-station
#   /lib/systemd/system/orvanta-station.service  (not enabled; the postinst makes the user orvanta)
#   PREFIX/libexec/orvanta/orvanta-render        (orvanta-cli render draws with it)
#   PREFIX/share/applications/orvanta.desktop
#   PREFIX/share/icons/hicolor/{scalable,NxN}/apps/orvanta.{svg,png}
#   PREFIX/share/metainfo/org.orvanta.orvanta.metainfo.xml
#   PREFIX/share/man/man1/orvanta.1.gz, orvanta-cli.1.gz, orvanta-station.1.gz (made from --help)
#   PREFIX/share/doc/orvanta/copyright, changelog.gz
#
# The version is the project's; the release date is the date of the newest
# entry of packaging/debian/changelog, whose version must be the project's.
include(GNUInstallDirs)

set(PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

# ---- Version and release date, checked against the changelog
file(STRINGS ${PACKAGING_DIR}/debian/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^orvanta \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog: the newest entry is '${changelog_head}', "
                      "the project's version is ${PROJECT_VERSION}: add an entry for it")
endif()
foreach(line ${changelog_lines})
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day ${CMAKE_MATCH_1})
    set(month_name ${CMAKE_MATCH_2})
    set(year ${CMAKE_MATCH_3})
    break()
  endif()
endforeach()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${month_name}" month)
if(month LESS 0)
  message(FATAL_ERROR "packaging/debian/changelog: no date in the newest entry")
endif()
math(EXPR month "${month} + 1")
if(month LESS 10)
  set(month "0${month}")
endif()
string(LENGTH "${day}" day_digits)
if(day_digits LESS 2)
  set(day "0${day}")
endif()
set(ORVANTA_RELEASE_DATE "${year}-${month}-${day}")

# ---- Programs
install(TARGETS orvanta-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
set(man_pages)
# make-man PAGE PROGRAM: the page from the program's --help, gzip'd as Debian
# wants (-n: no name or time stamp inside, so the same text gives the same bytes).
function(orvanta_man_page page program)
  add_custom_command(
    OUTPUT ${man_dir}/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND bash ${PACKAGING_DIR}/man/make-man ${page} $<TARGET_FILE:${program}> ${man_dir}/${page}.1
            ${PROJECT_VERSION} ${ORVANTA_RELEASE_DATE}
    COMMAND gzip -9nf ${man_dir}/${page}.1
    DEPENDS ${program} ${PACKAGING_DIR}/man/make-man
    COMMENT "Manual page ${page}(1) from ${page} --help"
    VERBATIM)
  set(man_pages ${man_pages} ${man_dir}/${page}.1.gz PARENT_SCOPE)
endfunction()
orvanta_man_page(orvanta-cli orvanta-cli)

if(ORVANTA_BUILD_UI)
  install(TARGETS orvanta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS orvanta-render RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orvanta)
  orvanta_man_page(orvanta orvanta)
  install(TARGETS orvanta-station RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  orvanta_man_page(orvanta-station orvanta-station)
  # Debian 12 keeps the units of its packages in /lib/systemd/system.
  install(FILES ${PACKAGING_DIR}/systemd/orvanta-station.service DESTINATION /lib/systemd/system)

  install(FILES ${PACKAGING_DIR}/orvanta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PACKAGING_DIR}/icons/orvanta.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PACKAGING_DIR}/icons/hicolor/${size}x${size}/orvanta.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  configure_file(${PACKAGING_DIR}/orvanta.metainfo.xml.in
                 ${CMAKE_CURRENT_BINARY_DIR}/org.orvanta.orvanta.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.orvanta.orvanta.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ---- Debian's documentation files
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/orvanta)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PACKAGING_DIR}/debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog
  COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${PACKAGING_DIR}/debian/changelog
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${PACKAGING_DIR}/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})

# ---- The Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvanta developers")
set(CPACK_PACKAGE_CONTACT "Orvanta developers <dev@orvanta.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # orvanta_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window system plugins at run time, so no library names them:
# without qt6-qpa-plugins the program cannot open a window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, adduser, libjs-leaflet")
# orvanta-cli opens libpq and libnetcdf when it first needs them
# (base/shared_library.h), so no library names them either: the packages
# that hold the files it opens are named here.
foreach(soname ${LIBPQ_SONAME} ${NETCDF_SONAME})
  execute_process(COMMAND dpkg-query -S ${soname} OUTPUT_VARIABLE owner RESULT_VARIABLE rc ERROR_QUIET)
  if(rc EQUAL 0 AND owner MATCHES "^([^:,]+)")
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
  else()
    message(WARNING "no Debian package holds ${soname}; the package will not depend on it")
  endif()
endforeach()
# The station service's user is made at installation.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gmt-gshhg-low")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gmt-gshhg-high, gmt-gshhg-full, gdal-bin")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "AIS receiver and display
Orvanta receives AIS (ITU-R M.1371) ship traffic as NMEA 0183 !AIVDM and
!AIVDO sentences from a serial port or a TCP server, decodes every message
and keeps a table of up to 1000 targets with their reception statistics. It
shows the targets in a list and on a plot over coastlines, landmarks and
vector charts, shows the text and binary messages received, and exports the
targets as CSV or GeoJSON and their tracks as GPX.
.
orvanta-cli is its headless companion: it decodes NMEA to JSON, replays logs
through the receive pipeline, simulates AIS traffic and draws the plot into a
picture.
.
orvanta-station runs the receive pipeline as a service without a screen and
serves a live map and an HTTP/JSON API to any browser.")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
