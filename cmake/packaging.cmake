# Installing as a desktop program (executable, menu entry, software-centre
# entry, icons, manual page, licence, sample regions) and a .deb made by
# CPack: cmake --build <dir> --target package. scripts/check-package checks
# the .deb as a distribution would.
include(GNUInstallDirs)
# Whatever the umask of the build: what a package holds does not depend on it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The id software centres know the viewer by; the desktop entry bears it too.
set(GEODATA_APP_ID org.example.geodata_viewer)

if(TARGET geodata-viewer)
  install(TARGETS geodata-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${GEODATA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${GEODATA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 48 256)
    install(FILES ${PROJECT_SOURCE_DIR}/window/resources/geodata-viewer-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME geodata-viewer.png)
  endforeach()

  # The manual page and the changelog, compressed as Debian wants them: no
  # name or time in the gzip header.
  find_program(GZIP gzip REQUIRED)
  set(gzipped)
  foreach(file geodata-viewer.1 changelog)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/packaging/${file})
    add_custom_command(OUTPUT ${out}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${file} ${out}
      COMMAND ${GZIP} -9nf ${out}
      DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${file}
      VERBATIM)
    list(APPEND gzipped ${out}.gz)
  endforeach()
  add_custom_target(geodata_packaging_docs ALL DEPENDS ${gzipped})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/geodata-viewer.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The licence goes in the copyright file, in full, as Debian installs it.
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
if(GEODATA_SAMPLES_DIR)
  install(DIRECTORY ${GEODATA_SAMPLES_DIR}/
          DESTINATION ${CMAKE_INSTALL_DATADIR}/geodata-viewer/samples
          FILES_MATCHING PATTERN "*.dat")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME geodata-viewer)
set(CPACK_PACKAGE_VENDOR "GeoData viewer team")
set(CPACK_PACKAGE_CONTACT "GeoData viewer team <team@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Opens one region file (256 x 256 blocks of terrain heights and layers),
paints it as a map and shows world coordinates under the mouse.
Sample regions are in /usr/share/geodata-viewer/samples.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # geodata-viewer_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)  # the sample regions pack 40% smaller than with gzip
# Qt finds its display plugins only through this package, which Qt merely
# recommends; without it the window cannot open.
set(qt_plugins "qt6-qpa-plugins")
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${qt_plugins}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6 (>= 12), libc6, ${qt_plugins}")
endif()
# Every time in the package is the commit's (SOURCE_DATE_EPOCH, read when the
# package is made), the program loses the compiler's .comment as Debian's
# strip does, and the archive's members do not take the umask's modes.
set(CPACK_GEODATA_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_GEODATA_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack-project.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/cpack-tidy.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/cpack-after.cmake)
include(CPack)
