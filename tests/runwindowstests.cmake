# cmake -DSOURCE_DIR=<source> -DBUILD_DIR=<folder> [-DWERROR=ON] -P runwindowstests.cmake
# Configures (once) and builds the Qt-free Windows build, then runs its tests under Wine.
if(NOT EXISTS ${BUILD_DIR}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR}
                          -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
                          -DCMAKE_BUILD_TYPE=Debug -DZOLVANE_QT=OFF -DZOLVANE_BENCH=OFF -DZOLVANE_WERROR=${WERROR}
                  RESULT_VARIABLE Result)
  if(NOT Result EQUAL 0)
    file(REMOVE ${BUILD_DIR}/CMakeCache.txt)
    message(FATAL_ERROR "configuring the Windows build failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} -j 2 RESULT_VARIABLE Result)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "building for Windows failed")
endif()
execute_process(COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${BUILD_DIR} --output-on-failure RESULT_VARIABLE Result)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "the Windows tests failed under Wine")
endif()
