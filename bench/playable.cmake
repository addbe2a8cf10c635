# LevelProblems on a full field beside a pass over its cells, and a 600 s play beside the bare game steps.
zolvane_add_bench(playable playable.cpp benchsupport.h)
target_link_libraries(playable PRIVATE zolvane_gamecore)
