zolvane_add_test(NAME tst_drawgrid SOURCES tst_drawgrid.cpp LIBS zolvane_toolkit)
