# The application hint, hints per point through CM_HINTSHOW, and cancelling them: its own
# process, since it moves the cursor.
movra_add_test(NAME ui_hints_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/hints_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_test.rc
  LIBS movra_ui
  PROPERTIES RUN_SERIAL TRUE)
