# Accessibility through the system's own client calls (the test links the accessibility library
# as a client would; the framework binds it at run time). Its own process at a time: what may
# take the focus depends on which window is active.
movra_add_test(NAME bar_acc_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bar_acc_test.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_toolbars oleacc
  PROPERTIES RUN_SERIAL TRUE)
