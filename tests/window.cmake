zolvane_add_test(NAME tst_application SOURCES tst_application.cpp messagecapture.h LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_levellistview SOURCES tst_levellistview.cpp LIBS zolvane_toolkit)
