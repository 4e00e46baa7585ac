# One window with every kind of themed control, drawn in each of the four themes (pictures
# checked on the colours each theme fixes) and walked through them by its switcher.
movra_add_test(NAME skin_theme_window_tests TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_theme_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_theme_window_tests)
