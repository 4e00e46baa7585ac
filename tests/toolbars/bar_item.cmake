# The item tree, its shortcut search and popup placement, and the item viewers.
movra_add_test(NAME bar_item_tests TIMEOUT 120
  SOURCES bar_item_test.cpp bar_item_shortcut_test.cpp bar_item_placement_test.cpp bar_viewer_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_toolbars)
