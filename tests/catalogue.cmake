# Pictures, image lists, palettes and the element catalogues.

zolvane_add_test(NAME tst_bitmap SOURCES tst_bitmap.cpp LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_imagelist SOURCES tst_imagelist.cpp LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_palettebar SOURCES tst_palettebar.cpp LIBS zolvane_toolkit)
zolvane_add_test(NAME tst_catalogue SOURCES tst_catalogue.cpp LIBS zolvane_catalogue)
add_dependencies(tst_catalogue zolvane_images)

zolvane_add_test(NAME tst_artwork SOURCES tst_artwork.cpp LIBS zolvane_catalogue)
add_dependencies(tst_artwork zolvane_images zolvane_levels)
target_compile_definitions(tst_artwork PRIVATE
  ZOLVANE_CMAKE_COMMAND="${CMAKE_COMMAND}"
  ZOLVANE_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets")
