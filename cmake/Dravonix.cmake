# Build helpers: one OBJECT library per source folder, globbed, so adding a
# file to a folder needs no edit here.

set(DRAVONIX_FOLDERS_WITH_SOURCES "")

# The sanitizer build's tests spend most of their time in the library's code, which runs in well
# under half the time at -O1 for about 40 % more compile time of the library; tests stay at -O0.
set(DRAVONIX_LIBRARY_OPT "")
if(DRAVONIX_SANITIZE)
  set(DRAVONIX_LIBRARY_OPT -O1)
endif()

function(dravonix_object_folder name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
  if(srcs)
    add_library(${name} OBJECT ${srcs})
    # The standard headers every folder parses, precompiled once (the folders share their flags), are
    # most of a source's compile time.
    if(NOT TARGET dravonix_library_pch)
      add_library(dravonix_library_pch OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch/LibraryPch.cpp)
      target_precompile_headers(dravonix_library_pch PRIVATE
                                "$<$<COMPILE_LANGUAGE:CXX>:${CMAKE_SOURCE_DIR}/cmake/pch/LibraryPch.h>")
      target_compile_options(dravonix_library_pch PRIVATE ${DRAVONIX_LIBRARY_OPT})
    endif()
    target_precompile_headers(${name} REUSE_FROM dravonix_library_pch)
    target_compile_options(${name} PRIVATE ${DRAVONIX_LIBRARY_OPT})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    # The checkout's path reaches the one source that reads it, so checkouts elsewhere share cached objects.
    if(dir STREQUAL "platform/gdi")
      set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/gdi/Font.cpp
                                  PROPERTIES COMPILE_DEFINITIONS DRAVONIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    endif()
    # Only the platform's own sources see the drawing libraries behind it.
    if(TARGET PkgConfig::CAIRO AND dir MATCHES "^platform/")
      target_link_libraries(${name} PUBLIC PkgConfig::CAIRO PkgConfig::FONTCONFIG PkgConfig::FREETYPE)
    endif()
    set_property(GLOBAL APPEND PROPERTY DRAVONIX_FOLDERS_WITH_SOURCES ${name})
  endif()
endfunction()

# dravonix_shared_library(name FOLDERS f1 f2 ... LIBS l1 l2 ...)
function(dravonix_shared_library name)
  cmake_parse_arguments(A "" "" "FOLDERS;LIBS" ${ARGN})
  get_property(have GLOBAL PROPERTY DRAVONIX_FOLDERS_WITH_SOURCES)
  set(objs "")
  foreach(f ${A_FOLDERS})
    if(f IN_LIST have)
      list(APPEND objs $<TARGET_OBJECTS:${f}>)
    endif()
  endforeach()
  if(NOT objs)
    # Nothing built in yet: keep the target so dependants link.
    file(WRITE ${CMAKE_BINARY_DIR}/empty_${name}.cpp "")
    set(objs ${CMAKE_BINARY_DIR}/empty_${name}.cpp)
  endif()
  add_library(${name} SHARED ${objs})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:include/dravonix>)
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

# dravonix_test(folder [UNITY] [SHARDS n] [COST c] [ALONE ...] [LIBS ...]): tests/<folder>/*.cpp and one level of subfolders
# (mirroring a split source folder) -> test_<folder>, one CTest entry, or with SHARDS n entries
# <folder>-1..<folder>-n that each run a share of its cases (together all of them). COST is the
# folder's run time relative to the others, split evenly among its shards: CTest starts the dearest
# entry first. ALONE filter=cost ... gives cases too long to share a shard entries of their own
# (a gtest filter each, with its cost); the shards leave them out.
function(dravonix_test folder)
  cmake_parse_arguments(A "UNITY" "SHARDS;COST" "LIBS;ALONE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*/*.cpp)
  if(NOT srcs)
    return()
  endif()
  set(t test_${folder})
  add_executable(${t} ${srcs})
  # Helper libraries that suite/ folders offer to every test (e.g. the COFF writer).
  get_property(suite_libs GLOBAL PROPERTY DRAVONIX_TEST_LIBS)
  target_link_libraries(${t} PRIVATE dravonix_test_support dravonix dravonix-platform
                        ${A_LIBS} ${suite_libs} GTest::gtest GTest::gmock)
  # Test bodies gain nothing from optimisation and take twice as long to compile with it; the
  # library code they call keeps the build's own flags.
  target_compile_options(${t} PRIVATE -O0)
  # Compiled as one source, a folder emits the inline code of the headers its sources share once
  # instead of once per source (a third to half less compile time); its sources must then not
  # define the same names in their unnamed namespaces.
  if(A_UNITY)
    set_target_properties(${t} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    # The one source includes the others as headers, which warns of types in their unnamed namespaces.
    target_compile_options(${t} PRIVATE -Wno-subobject-linkage)
  endif()
  if(TARGET dravonix_test_pch)
    target_precompile_headers(${t} REUSE_FROM dravonix_test_pch)
  endif()
  if(NOT A_COST)
    set(A_COST 0)
  endif()
  if(NOT A_SHARDS)
    set(A_SHARDS 1)
  endif()
  if(A_SHARDS LESS 2 AND NOT A_ALONE)
    add_test(NAME ${folder} COMMAND ${t})
    set_tests_properties(${folder} PROPERTIES TIMEOUT 600 COST ${A_COST})
    return()
  endif()
  set(n 0)
  set(rest "")
  set(rest_sep "")
  foreach(entry ${A_ALONE})
    string(REGEX MATCH "^(.+)=([0-9]+)$" _ "${entry}")
    math(EXPR n "${n} + 1")
    add_test(NAME ${folder}-${n} COMMAND ${t})
    set_tests_properties(${folder}-${n} PROPERTIES TIMEOUT 600 COST ${CMAKE_MATCH_2}
                         ENVIRONMENT "GTEST_FILTER=${CMAKE_MATCH_1}")
    string(APPEND rest "${rest_sep}${CMAKE_MATCH_1}")
    set(rest_sep ":")
  endforeach()
  if(rest)
    set(rest ";GTEST_FILTER=-${rest}")
  endif()
  math(EXPR last "${A_SHARDS} - 1")
  math(EXPR share "${A_COST} / ${A_SHARDS}")
  foreach(i RANGE ${last})
    math(EXPR n "${n} + 1")
    add_test(NAME ${folder}-${n} COMMAND ${t})
    set_tests_properties(${folder}-${n} PROPERTIES TIMEOUT 600 COST ${share}
                         ENVIRONMENT "GTEST_TOTAL_SHARDS=${A_SHARDS};GTEST_SHARD_INDEX=${i}${rest}")
  endforeach()
endfunction()

# The sample kernel folder assembled in the build tree: the fixture files plus
# the plug-ins built from suite/. The example host copies it, and it is installed.
set(DRAVONIX_KERNEL_FOLDER ${CMAKE_BINARY_DIR}/kernel CACHE INTERNAL "")
set(DRAVONIX_INSTALL_KERNEL_DIR ${CMAKE_INSTALL_DATADIR}/dravonix/kernel)
# The tests' own kernel folder: the sample one plus the plug-ins made to fail, which a host
# must never meet. Tests copy it.
set(DRAVONIX_TEST_KERNEL_FOLDER ${CMAKE_BINARY_DIR}/test-kernel CACHE INTERNAL "")

# dravonix_plugin(name SUBDIR sub SOURCES ... [LIBS ...] [TEST_ONLY]): a plug-in module
# `name.so` placed in the kernel folder's `sub` (empty for the top); with TEST_ONLY only in the
# tests' kernel folder, and not installed.
function(dravonix_plugin name)
  cmake_parse_arguments(A "TEST_ONLY" "SUBDIR" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${A_SOURCES})
  set(folder ${DRAVONIX_KERNEL_FOLDER})
  if(A_TEST_ONLY)
    set(folder ${DRAVONIX_TEST_KERNEL_FOLDER})
  endif()
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${folder}/${A_SUBDIR})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE dravonix dravonix-platform ${A_LIBS})
  if(A_TEST_ONLY)
    add_dependencies(test_kernel_folder ${name})
    # A build tree made before the split may still hold it in the sample folder.
    add_custom_command(TARGET ${name} POST_BUILD
                       COMMAND ${CMAKE_COMMAND} -E rm -f ${DRAVONIX_KERNEL_FOLDER}/${A_SUBDIR}/${name}.so)
    return()
  endif()
  add_dependencies(kernel_folder ${name})
  # Installed into the sample kernel folder, finding the libraries from there.
  set(dest ${DRAVONIX_INSTALL_KERNEL_DIR})
  if(A_SUBDIR)
    set(dest ${dest}/${A_SUBDIR})
  endif()
  file(RELATIVE_PATH up /${dest} /${CMAKE_INSTALL_LIBDIR})
  set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN/${up}")
  install(TARGETS ${name} LIBRARY DESTINATION ${dest})
endfunction()

# dravonix_embed_files(target FILES ...): files compiled into a target as byte arrays.
include(${CMAKE_CURRENT_LIST_DIR}/EmbedFiles.cmake)
