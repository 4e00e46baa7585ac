# The Aluminum theme: its colour tables, answers, primitives and drawing, and a picture of its parts.
movra_add_test(NAME skin_aluminum_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_aluminum_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_aluminum_tests)
