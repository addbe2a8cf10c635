# Load and save of a typical level beside the bare system calls they cannot avoid.
zolvane_add_bench(level_io level_io.cpp)
target_link_libraries(level_io PRIVATE zolvane_level)
