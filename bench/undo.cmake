# Undo and Redo of a full-grid stroke beside a full-grid repaint, and the heap a long history keeps.
zolvane_add_bench(editor_undo undo.cpp)
target_link_libraries(editor_undo PRIVATE zolvane_window Qt6::Test)
target_compile_definitions(editor_undo PRIVATE ZOLVANE_GAME_DIR="${ZOLVANE_GAME_DIR}")
add_dependencies(editor_undo zolvane_images zolvane_levels)
