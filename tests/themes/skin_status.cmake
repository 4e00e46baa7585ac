# The themed status bar: layout, panels and their controls, the size grip in a real window.
movra_add_test(NAME skin_status_tests TIMEOUT 120
  SOURCES ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_status_test.cpp
  LIBS movra_themes)
# The bar printed from its window through the Default theme, checked on pixels and saved.
movra_add_test(NAME skin_status_drawing_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_status_drawing_test.cpp
  LIBS movra_themes)
