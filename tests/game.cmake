# The stand-in game
zolvane_add_test(NAME tst_game_core SOURCES tst_game_core.cpp LIBS zolvane_gamecore)
zolvane_add_test(NAME tst_game_window SOURCES tst_game_window.cpp LIBS zolvane_gameui)
# Starts the real zolvane.exe, with and without the pictures, so both must be built first.
zolvane_add_test(NAME tst_game_program SOURCES tst_game_program.cpp LIBS Qt6::Core)
add_dependencies(tst_game_program zolvane-game zolvane_images)
zolvane_add_test(NAME tst_game_autoplay SOURCES tst_game_autoplay.cpp gametesttools.h LIBS zolvane_gamecore)
