# The stand-in game
zolvane_add_test(NAME tst_game_core SOURCES tst_game_core.cpp LIBS zolvane_gamecore)
zolvane_add_test(NAME tst_game_arguments SOURCES tst_game_arguments.cpp LIBS zolvane_gamecore)
