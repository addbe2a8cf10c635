# The Qt-free targets built for Windows with mingw-w64 in <build>/windows, and their tests run there under
# Wine, as one test of this build. The cross build is configured once and then rebuilt incrementally.
find_program(ZOLVANE_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(ZOLVANE_WINE_RUNNER NAMES wine64 wine PATHS /usr/lib/wine)
if(ZOLVANE_MINGW_CXX AND ZOLVANE_WINE_RUNNER)
  set(windows_default ON)
else()
  set(windows_default OFF)
endif()
option(ZOLVANE_WINDOWS_TESTS "Build the Qt-free targets for Windows and run their tests under Wine" ${windows_default})
if(NOT ZOLVANE_WINDOWS_TESTS)
  message(STATUS "Windows tests off: they need g++-mingw-w64-x86-64-posix and wine64 (tools/setup.sh installs both)")
  return()
endif()
if(NOT ZOLVANE_MINGW_CXX OR NOT ZOLVANE_WINE_RUNNER)
  message(FATAL_ERROR "The Windows tests need g++-mingw-w64-x86-64-posix and wine64: apt-get install both, "
                      "or configure with -DZOLVANE_WINDOWS_TESTS=OFF")
endif()

add_test(NAME windows_tests_under_wine
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBUILD_DIR=${CMAKE_BINARY_DIR}/windows
          -DWERROR=${ZOLVANE_WERROR} -P ${CMAKE_CURRENT_SOURCE_DIR}/runwindowstests.cmake)
# Started first, since it takes longest; its build uses both cores.
set_tests_properties(windows_tests_under_wine PROPERTIES TIMEOUT 900 COST 1000 PROCESSORS 2)
