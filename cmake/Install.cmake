# What `cmake --install` puts where, and the Debian package `cpack -G DEB` makes of it.
include(GNUInstallDirs)

install(TARGETS quorel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/man/quorel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel/examples
        FILES_MATCHING PATTERN "*.dat" PATTERN "README.md")
# quorel-gui installs itself from src/shell/gui when Qt 6 Widgets is found.

# The library: libquorel.a, the public headers <quorel/...> and a CMake package, so that
# find_package(Quorel) and target_link_libraries(app PRIVATE Quorel::quorel) work.
include(CMakePackageConfigHelpers)
set(QUOREL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorel)
install(TARGETS quorel_lib EXPORT QuorelTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/quorel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT QuorelTargets NAMESPACE Quorel:: DESTINATION ${QUOREL_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/QuorelConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/QuorelConfig.cmake INSTALL_DESTINATION ${QUOREL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/QuorelConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/QuorelConfig.cmake ${CMAKE_BINARY_DIR}/QuorelConfigVersion.cmake
        DESTINATION ${QUOREL_CMAKE_DIR})

set(CPACK_PACKAGE_NAME quorel)
set(CPACK_PACKAGE_VENDOR "Quorel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Quorel developers <quorel@localhost>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The summary becomes the first line of the package's description, these lines the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "From N actors and their binary relations (friendship, advice, ...) quorel builds
the semigroup of compound relations and its partial order, measures of
association and inclusion with P-values from random samples, the inclusion
relation Omega at each cutoff level and its factorizations, and writes a
plain-text report. It reads its own data files, DL files of full matrices,
CSV edge lists, Pajek network files and GraphML documents. quorel-gui is the same analysis in a desktop window, with its results
shown as tables and Hasse diagrams.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared libraries the programs link (libc6, libstdc++6, Qt 6 for quorel-gui) become
# the package's dependencies through dpkg-shlibdeps (package dpkg-dev).
find_program(QUOREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUOREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libpugixml1v5")
  if(TARGET quorel_gui)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6core6, libqt6gui6, libqt6widgets6")
    if(QUOREL_GUI_WITH_SVG)
      string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6svg6, libqt6svgwidgets6")
    endif()
  endif()
endif()
set(CPACK_GENERATOR DEB)
include(CPack)
