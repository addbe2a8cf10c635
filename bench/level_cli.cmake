# zolvane-level: check over 10,000 files beside a plain read of them, and render of one level.
zolvane_add_bench(level_cli level_cli.cpp)
target_link_libraries(level_cli PRIVATE zolvane_levelcli)
target_compile_definitions(level_cli PRIVATE ZOLVANE_GAME_DIR="${ZOLVANE_GAME_DIR}")
add_dependencies(level_cli zolvane_images)
