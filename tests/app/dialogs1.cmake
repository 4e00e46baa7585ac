# The profile properties and folder analysis windows.
movra_add_test(NAME dialogs1_tests TIMEOUT 300
  SOURCES profile_props_test.cpp analysis_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_app)
