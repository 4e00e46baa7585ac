# Themed items and viewers, against a recording theme.
movra_add_test(NAME skin_items_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_items_test.cpp
  LIBS movra_themes)
# The same items laid out by real views and drawn through the Default theme, saved as pictures.
movra_add_test(NAME skin_items_picture_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_items_picture_test.cpp
  LIBS movra_themes)
