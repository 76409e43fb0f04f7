# Pictures written by tests belong under the build tree: a bare file name would land in whatever folder
# the test runs from, which has been the source tree. Fails on any SaveWindowImage/SaveImage call whose
# path is a plain string literal without a folder.
file(GLOB_RECURSE srcs ${TESTS_DIR}/*.cpp ${TESTS_DIR}/*.h)
set(bad "")
foreach(f ${srcs})
  file(STRINGS ${f} lines REGEX "Save(Window)?Image\\(")
  foreach(l ${lines})
    if(l MATCHES "Save(Window)?Image\\([^;]*, *\"[^\"/]+\"")
      string(APPEND bad "\n  ${f}: ${l}")
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "pictures written by bare name (use dravonix::test::OutputPath):${bad}")
endif()
