# Dockable panels and the multi-dock: sharing, hit codes, arrangement and frames through the themes.
movra_add_test(NAME skin_panels_tests
  SOURCES ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_panels_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_panels_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_panels_tests ${CMAKE_CURRENT_LIST_DIR}/skin_panels_test.rc)
# The panels' drags driven by injected input: they share the desktop's one pointer, so they run
# while nothing else does.
movra_add_test(NAME skin_panels_loop_tests TIMEOUT 240
  SOURCES ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_SOURCE_DIR}/tests/toolbars/dock_test_support.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_panels_loop_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_panels_test.rc
  LIBS movra_themes
  PROPERTIES RUN_SERIAL TRUE)
movra_use_skin_glyphs(skin_panels_loop_tests ${CMAKE_CURRENT_LIST_DIR}/skin_panels_test.rc)
