# zolvane-level: the subcommands in-process, the rendered pixels, and the tool itself over the sample levels.
zolvane_add_test(NAME tst_levelcli SOURCES tst_levelcli.cpp levelfiletools.h LIBS zolvane_levelcli)
zolvane_add_test(NAME tst_levelrender SOURCES tst_levelrender.cpp levelfiletools.h LIBS zolvane_levelcli)
add_dependencies(tst_levelrender zolvane_images)

file(GLOB ZOLVANE_SAMPLE_LEVELS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/levels/*.txt)
add_test(NAME zolvane_level_check_samples COMMAND zolvane-level check ${ZOLVANE_SAMPLE_LEVELS})
set_tests_properties(zolvane_level_check_samples PROPERTIES ENVIRONMENT "${ZOLVANE_TEST_ENV}" TIMEOUT 60)
zolvane_add_test(NAME tst_levelfmt SOURCES tst_levelfmt.cpp levelfiletools.h LIBS zolvane_levelcli)
zolvane_add_test(NAME tst_jsontext SOURCES tst_jsontext.cpp levelfiletools.h LIBS zolvane_levelcli)
zolvane_add_test(NAME tst_levelcli_limits SOURCES tst_levelcli_limits.cpp levelfiletools.h LIBS zolvane_levelcli)
target_compile_definitions(tst_levelcli_limits PRIVATE ZOLVANE_LEVEL_TOOL="$<TARGET_FILE:zolvane-level>")
add_dependencies(tst_levelcli_limits zolvane-level)
# show, diff and merge in-process, and the built tool as git's merge driver and textconv.
zolvane_add_test(NAME tst_levelgit SOURCES tst_levelgit.cpp levelfiletools.h LIBS zolvane_levelcli)
add_dependencies(tst_levelgit zolvane-level)

# lint and play, in-process; and every sample level free of problems and cleared by the perfect paddle.
zolvane_add_test(NAME tst_playcommands SOURCES tst_playcommands.cpp levelfiletools.h LIBS zolvane_levelcli)
add_test(NAME zolvane_level_lint_samples COMMAND zolvane-level lint ${ZOLVANE_SAMPLE_LEVELS})
set_tests_properties(zolvane_level_lint_samples PROPERTIES ENVIRONMENT "${ZOLVANE_TEST_ENV}" TIMEOUT 60)
foreach(LEVEL ${ZOLVANE_SAMPLE_LEVELS})
  get_filename_component(NAME ${LEVEL} NAME_WE)
  add_test(NAME zolvane_level_play_${NAME} COMMAND zolvane-level play ${LEVEL})
  set_tests_properties(zolvane_level_play_${NAME} PROPERTIES ENVIRONMENT "${ZOLVANE_TEST_ENV}" TIMEOUT 60)
endforeach()
