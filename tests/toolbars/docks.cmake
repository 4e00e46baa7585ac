# Docks, dockable and floating windows, and the drag and sizing loops.
movra_add_test(NAME bars_dock_tests TIMEOUT 240
  SOURCES ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/dock_test_support.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dock_arrange_test.cpp ${CMAKE_CURRENT_LIST_DIR}/dock_window_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dock_drag_test.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_toolbars)
# The loops driven by injected input: they share the one pointer and keyboard of the desktop,
# so they run while nothing else does.
movra_add_test(NAME bars_dock_loop_tests TIMEOUT 240
  SOURCES ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/dock_test_support.cpp
          ${CMAKE_CURRENT_LIST_DIR}/dock_loop_test.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_toolbars
  PROPERTIES RUN_SERIAL TRUE)
