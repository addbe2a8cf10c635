# `cmake --install` into a temporary prefix, checked with the desktop's own validators, and the installed
# editor started from its launcher on a real X server. Installing needs the whole build, as ./test.sh makes it.
add_test(NAME installed_editor
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/installed_editor.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
          $<TARGET_FILE:smoke_editor> ${ZOLVANE_APP_ID} $<TARGET_EXISTS:zolvane-level>
          ${CMAKE_CURRENT_BINARY_DIR}/installed-editor.png)
set_tests_properties(installed_editor PROPERTIES TIMEOUT 300
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
