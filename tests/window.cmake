zolvane_add_test(NAME tst_application SOURCES tst_application.cpp messagecapture.h LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_levellistview SOURCES tst_levellistview.cpp LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_leveldocument SOURCES tst_leveldocument.cpp levelfiletools.h leveltesttools.h messagecapture.h
  LIBS zolvane_window)
zolvane_add_test(NAME tst_mainform SOURCES tst_mainform.cpp editorharness.h messagecapture.h LIBS zolvane_window)
add_dependencies(tst_mainform zolvane_images)
zolvane_add_test(NAME tst_editing SOURCES tst_editing.cpp editorharness.h messagecapture.h LIBS zolvane_window)
add_dependencies(tst_editing zolvane_images)
zolvane_add_test(NAME tst_shapetools SOURCES tst_shapetools.cpp editorharness.h messagecapture.h LIBS zolvane_window)
add_dependencies(tst_shapetools zolvane_images)
zolvane_add_test(NAME tst_blocks SOURCES tst_blocks.cpp editorharness.h messagecapture.h LIBS zolvane_window)
add_dependencies(tst_blocks zolvane_images)
zolvane_add_test(NAME tst_levelset_window SOURCES tst_levelset_window.cpp editorharness.h messagecapture.h
  LIBS zolvane_window)
add_dependencies(tst_levelset_window zolvane_images)

# The built editor on a real X server: its window must show the grid and both palettes.
add_executable(smoke_editor smoke_editor.cpp)
target_link_libraries(smoke_editor PRIVATE Qt6::Gui)
set_target_properties(smoke_editor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(smoke_editor zolvane-editor zolvane_images zolvane_levels)
add_test(NAME smoke_editor
  COMMAND xvfb-run -a -s "-screen 0 1280x800x24"
          $<TARGET_FILE:smoke_editor> ${ZOLVANE_GAME_DIR} $<TARGET_FILE:zolvane-editor>
          ${CMAKE_CURRENT_BINARY_DIR}/smoke-editor.png)
# Its recovery journals go to a data folder in the build tree, never the user's.
set_tests_properties(smoke_editor PROPERTIES TIMEOUT 180
  ENVIRONMENT "XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/smoke-editor-data;QT_QPA_PLATFORM=xcb;ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# "Test Level" starting the real stand-in game on a real X server.
add_executable(tst_testrun_game tst_testrun_game.cpp messagecapture.h)
target_link_libraries(tst_testrun_game PRIVATE Qt6::Test zolvane_window)
set_target_properties(tst_testrun_game PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(tst_testrun_game zolvane-game zolvane_images zolvane_levels)
add_test(NAME tst_testrun_game COMMAND xvfb-run -a -s "-screen 0 1280x800x24" $<TARGET_FILE:tst_testrun_game>)
set_tests_properties(tst_testrun_game PROPERTIES TIMEOUT 180
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;ZOLVANE_GAME_DIR=${ZOLVANE_GAME_DIR};ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# The editor's start-up under a file-size limit, run by tst_mainform as a child process.
add_executable(editor_under_file_limit editor_under_file_limit.cpp messagecapture.h)
target_link_libraries(editor_under_file_limit PRIVATE Qt6::Test zolvane_window)
set_target_properties(editor_under_file_limit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(tst_mainform editor_under_file_limit)

# Recovery of unsaved work, with an editor killed at random moments as a child process.
zolvane_add_test(NAME tst_recovery SOURCES tst_recovery.cpp editorharness.h datahome.h recoveryedits.h LIBS zolvane_window)
add_dependencies(tst_recovery zolvane_images)
add_executable(editor_until_killed editor_until_killed.cpp recoveryedits.h messagecapture.h)
target_link_libraries(editor_until_killed PRIVATE Qt6::Test zolvane_window)
set_target_properties(editor_until_killed PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(tst_recovery editor_until_killed)
zolvane_add_test(NAME tst_dailypolish SOURCES tst_dailypolish.cpp editorharness.h messagecapture.h LIBS zolvane_window)
add_dependencies(tst_dailypolish zolvane_images)
