# Painting into a given DC, printing with children, double buffering and the broadcast.
movra_add_test(NAME ui_painting_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/painting_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_test.rc
  LIBS movra_ui)
