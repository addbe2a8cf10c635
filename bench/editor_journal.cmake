# A stroke with the recovery journal beside one without, the steps a second it keeps up with, a flush's wait.
zolvane_add_bench(editor_journal editor_journal.cpp)
target_link_libraries(editor_journal PRIVATE zolvane_window Qt6::Test)
target_compile_definitions(editor_journal PRIVATE ZOLVANE_GAME_DIR="${ZOLVANE_GAME_DIR}")
add_dependencies(editor_journal zolvane_images zolvane_levels)
