movra_add_test(NAME skin_default_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_default_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_default_drawing_test.cpp
  LIBS movra_themes)
