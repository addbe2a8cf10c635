# The recovery journal: appending a step beside building its diff, and steps per second with each synced.
zolvane_add_bench(level_journal journal.cpp benchsupport.h)
target_link_libraries(level_journal PRIVATE zolvane_level)
