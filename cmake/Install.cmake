# The installable package: both libraries and the communication and zip libraries they link, the public
# headers under include/dravonix in their folder layout, the sample kernel folder with its plug-ins
# under share/dravonix/kernel, a CMake package (dravonix::dravonix, dravonix::platform) and a
# pkg-config file.
include(CMakePackageConfigHelpers)

set(DRAVONIX_INSTALL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/dravonix)
set(DRAVONIX_INSTALL_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/dravonix)

set(DRAVONIX_INSTALLED_LIBS dravonix dravonix-platform zurcomm zip32 unzip32)
foreach(lib ${DRAVONIX_INSTALLED_LIBS})
  set_target_properties(${lib} PROPERTIES INSTALL_RPATH "$ORIGIN")
endforeach()
install(TARGETS ${DRAVONIX_INSTALLED_LIBS} EXPORT dravonixTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT dravonixTargets NAMESPACE dravonix:: DESTINATION ${DRAVONIX_INSTALL_CMAKE_DIR})

foreach(dir platform grid editor kernel comm motion plot monitor views res)
  install(DIRECTORY ${dir} DESTINATION ${DRAVONIX_INSTALL_INCLUDE_DIR} FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES suite/zurcomm/zurcomm.h DESTINATION ${DRAVONIX_INSTALL_INCLUDE_DIR}/suite/zurcomm)

# The drawing layer's font configuration, found beside the installed library.
install(FILES platform/gdi/fonts.conf DESTINATION ${CMAKE_INSTALL_DATADIR}/dravonix)
install(DIRECTORY tests/fixtures/kernel/ DESTINATION ${DRAVONIX_INSTALL_KERNEL_DIR} USE_SOURCE_PERMISSIONS)

configure_package_config_file(cmake/dravonixConfig.cmake.in ${CMAKE_BINARY_DIR}/dravonixConfig.cmake
                              INSTALL_DESTINATION ${DRAVONIX_INSTALL_CMAKE_DIR}
                              PATH_VARS DRAVONIX_INSTALL_KERNEL_DIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/dravonixConfigVersion.cmake VERSION 1.0
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/dravonixConfig.cmake ${CMAKE_BINARY_DIR}/dravonixConfigVersion.cmake
        DESTINATION ${DRAVONIX_INSTALL_CMAKE_DIR})

# Relative to the file's own place, so the prefix given at install time holds.
file(RELATIVE_PATH DRAVONIX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" DRAVONIX_PC_TO_PREFIX "${DRAVONIX_PC_TO_PREFIX}")
configure_file(cmake/dravonix.pc.in ${CMAKE_BINARY_DIR}/dravonix.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dravonix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Installs into a temporary prefix and builds and runs a host outside the tree against it. The
# sanitizer build is left out: a host would need the sanitizer runtime linked first.
if(NOT DRAVONIX_SANITIZE AND NOT DRAVONIX_TSAN)
  add_test(NAME installed_package
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-installed-package.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(installed_package PROPERTIES TIMEOUT 900)
endif()
