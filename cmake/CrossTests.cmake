# Tests of a cross-build (mingw-w64 for Windows): GoogleTest is built from
# Debian's source tree for the target, and each test executable is one ctest
# test run through CMAKE_CROSSCOMPILING_EMULATOR (Wine). Discovering the single
# TESTs would start Wine once per case; the gtest output still lists them.

set(KT_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree for cross-builds")
if(NOT EXISTS ${KT_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources at ${KT_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${KT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Creates the emulator's Wine prefix once, before any test needs it.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --init)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
endif()

# kt_add_cross_test(NAME TIMEOUT LABELS): registers the test executable NAME.
function(kt_add_cross_test name timeout labels)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} LABELS "${labels}")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
endfunction()
