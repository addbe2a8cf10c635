# Moving a full-field selection by one cell in the level core, beside the bare copy of the cells it must make.
zolvane_add_bench(blocks_move blocks.cpp benchsupport.h)
target_link_libraries(blocks_move PRIVATE zolvane_level)
