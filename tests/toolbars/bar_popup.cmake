# Popup menus and their tracking loop on real windows: its own process, run alone, since it
# moves the cursor.
movra_add_test(NAME bar_popup_tests TIMEOUT 240
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bar_popup_test.cpp ${CMAKE_CURRENT_LIST_DIR}/dock_test_support.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_toolbars
  PROPERTIES RUN_SERIAL TRUE)
# What opening a popup costs against a plain window, and a soak of open-close cycles.
movra_add_test(NAME bar_popup_benchmark TIMEOUT 240
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bar_popup_benchmark.cpp
  LIBS movra_toolbars psapi)
