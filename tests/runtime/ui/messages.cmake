# The control messages and the relay of system changes to child controls.
movra_add_test(NAME ui_messages_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/messages_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_test.rc
  LIBS movra_ui)
