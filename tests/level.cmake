# The level core: file format, failure paths, the level folder's names, the shapes' cells and the system's
# error texts.
zolvane_add_test(NAME tst_levelfile SOURCES tst_levelfile.cpp levelfiletools.h LIBS zolvane_level)
target_compile_definitions(tst_levelfile PRIVATE ZOLVANE_SOURCE_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
zolvane_add_test(NAME tst_levelfailures SOURCES tst_levelfailures.cpp levelfiletools.h LIBS zolvane_level)
zolvane_add_test(NAME tst_systemerrortext SOURCES tst_systemerrortext.cpp LIBS zolvane_util)
zolvane_add_test(NAME tst_elementkinds SOURCES tst_elementkinds.cpp LIBS zolvane_level)
zolvane_add_test(NAME tst_paintrule SOURCES tst_paintrule.cpp LIBS zolvane_level)
zolvane_add_test(NAME tst_filenotes SOURCES tst_filenotes.cpp levelfiletools.h LIBS zolvane_level)
zolvane_add_test(NAME tst_levelfolder SOURCES tst_levelfolder.cpp LIBS zolvane_level)
zolvane_add_test(NAME tst_shapes SOURCES tst_shapes.cpp levelfiletools.h LIBS zolvane_level)
