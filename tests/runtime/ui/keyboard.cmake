# The application's key-down and menu-key notices, and dialog keys reaching the controls.
movra_add_test(NAME ui_keyboard_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/keyboard_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_test.rc
  LIBS movra_ui)
