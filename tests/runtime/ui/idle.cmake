# Action updates of action clients in the application's idle time.
movra_add_test(NAME ui_idle_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/idle_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_test.rc
  LIBS movra_ui)
