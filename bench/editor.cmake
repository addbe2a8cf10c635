# Editor start-up beside a minimal window, and painting a full-grid stroke.
find_package(Qt6 REQUIRED COMPONENTS Test)
zolvane_add_bench(editor_window editor.cpp)
target_link_libraries(editor_window PRIVATE zolvane_window Qt6::Test)
target_compile_definitions(editor_window PRIVATE ZOLVANE_GAME_DIR="${ZOLVANE_GAME_DIR}")
add_dependencies(editor_window zolvane_images zolvane_levels)
