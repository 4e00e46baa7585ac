# The Stripes theme: its colours, answers and drawing, and a picture of its parts.
movra_add_test(NAME skin_stripes_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_stripes_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_stripes_tests)
