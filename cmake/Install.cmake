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

# The public headers: every .h under these folders, and these files.
set(DRAVONIX_PUBLIC_HEADER_DIRS platform grid editor kernel comm motion plot monitor views res)
set(DRAVONIX_PUBLIC_HEADER_FILES suite/zurcomm/zurcomm.h)
foreach(dir ${DRAVONIX_PUBLIC_HEADER_DIRS})
  install(DIRECTORY ${dir} DESTINATION ${DRAVONIX_INSTALL_INCLUDE_DIR} FILES_MATCHING PATTERN "*.h")
endforeach()
foreach(file ${DRAVONIX_PUBLIC_HEADER_FILES})
  get_filename_component(dir ${file} DIRECTORY)
  install(FILES ${file} DESTINATION ${DRAVONIX_INSTALL_INCLUDE_DIR}/${dir})
endforeach()

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
  # Started among the long test runs (see tests/CMakeLists.txt), or it would run last and alone.
set_tests_properties(installed_package PROPERTIES TIMEOUT 900 COST 30)
endif()

# A host includes the public headers in any order, with the system's socket headers before or after them:
# all of them compile together both ways, syntax only, in seconds.
# No public header depends on the build type or the sanitizers, so the normal build alone checks them.
if(NOT DRAVONIX_SANITIZE AND NOT DRAVONIX_TSAN)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
  separate_arguments(header_check_flags UNIX_COMMAND "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}")
  set(header_check_includes ${CAIRO_INCLUDE_DIRS} ${FONTCONFIG_INCLUDE_DIRS} ${FREETYPE_INCLUDE_DIRS})
  list(REMOVE_DUPLICATES header_check_includes)
  foreach(dir ${header_check_includes})
    list(APPEND header_check_flags -isystem ${dir})
  endforeach()
  add_test(NAME public_headers
           COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-headers.py ${CMAKE_SOURCE_DIR}
                   ${CMAKE_BINARY_DIR}/public-headers
                   --dirs ${DRAVONIX_PUBLIC_HEADER_DIRS} --files ${DRAVONIX_PUBLIC_HEADER_FILES}
                   -- ${CMAKE_CXX_COMPILER} ${CMAKE_CXX20_STANDARD_COMPILE_OPTION} -Wall -Wextra -Wshadow -Werror
                   ${header_check_flags})
  set_tests_properties(public_headers PROPERTIES TIMEOUT 120)
endif()
