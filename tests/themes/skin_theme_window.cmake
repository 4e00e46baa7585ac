# One window with every kind of themed control, drawn in each of the four themes (pictures
# checked on the colours each theme fixes) and walked through them by its switcher.
movra_add_test(NAME skin_theme_window_tests TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_theme_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_theme_window_tests)
# Benchmark, not a timed test: repainting that window in each theme against the Default theme,
# and a hundred theme switches with the objects, handles and memory counted before and after.
movra_add_test(NAME skin_theme_window_benchmark TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_theme_window_benchmark.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes comctl32)
movra_use_skin_glyphs(skin_theme_window_benchmark)
