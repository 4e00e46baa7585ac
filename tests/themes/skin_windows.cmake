# Themed windows: popup shadows, the toolbar, dock and floating window, and pictures of them
# drawn through the Default and OfficeXP themes.
movra_add_test(NAME skin_windows_tests TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_windows_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_windows_picture_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_popups_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc
  LIBS movra_themes)
movra_use_skin_glyphs(skin_windows_tests ${CMAKE_CURRENT_LIST_DIR}/skin_officexp_test.rc)
