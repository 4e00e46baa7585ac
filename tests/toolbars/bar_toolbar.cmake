# Toolbars and menu bars: floating widths, docked sizes, the chevron, control items, keyboard
# access and the shortcut registry. Keyboard access and the mouse tests need the active window
# and the one pointer of the desktop, so they run while nothing else does.
movra_add_test(NAME bar_toolbar_tests TIMEOUT 240
  SOURCES ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/dock_test_support.cpp
          ${CMAKE_CURRENT_LIST_DIR}/bar_toolbar_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/bar_toolbar_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/bar_toolbar_keys_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bar_toolbar_popup_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_toolbars
  PROPERTIES RUN_SERIAL TRUE)
