# Every dialog in English, German and Russian: each caption against its control.
movra_add_test(NAME app_dialog_captions_tests TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_captions_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/../runtime/ui/ui_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/dialogs2_test.rc
  LIBS movra_app)
movra_append_catalogs(app_dialog_captions_tests LANGUAGES de ru)
