# The flat theme: its colour tables, item states, glyphs and drawing.
movra_add_test(NAME skin_officexp_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_colors_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_officexp_tests ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc)
# ...and behind the themed item viewers.
movra_add_test(NAME skin_officexp_items_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_items_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_officexp_items_tests)
