# Pictures, image lists, palettes, the element catalogues and the level folder routines.

zolvane_add_test(NAME tst_bitmap SOURCES tst_bitmap.cpp LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_imagelist SOURCES tst_imagelist.cpp LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_palettebar SOURCES tst_palettebar.cpp LIBS zolvane_toolkit)
