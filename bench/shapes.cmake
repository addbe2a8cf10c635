# A fill of the whole field and a rectangle dragged across it, each beside its floor.
zolvane_add_bench(editor_shapes shapes.cpp benchsupport.h)
target_link_libraries(editor_shapes PRIVATE zolvane_window Qt6::Test)
target_compile_definitions(editor_shapes PRIVATE ZOLVANE_GAME_DIR="${ZOLVANE_GAME_DIR}")
add_dependencies(editor_shapes zolvane_images zolvane_levels)
