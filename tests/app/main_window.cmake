# The main window: its logic with a stand-in host, and Palvex.exe driven from outside.
movra_add_test(NAME main_window_tests TIMEOUT 300
  SOURCES main_window_test.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_app
  # Every copy writes main_window_tests.log beside itself, and the log file takes one writer: a
  # second copy at the same time gets no log, so its log panel never receives a line.
  PROPERTIES RESOURCE_LOCK movra_main_window_log)
movra_append_catalogs(main_window_tests LANGUAGES de ru)
# Palvex.exe run for real: it writes the registry values at exit, only one copy may run, and it
# is driven by keyboard input, which goes to whichever window is in front: it runs alone.
movra_add_test(NAME palvex_tests TIMEOUT 300
  SOURCES palvex_test.cpp ${CMAKE_SOURCE_DIR}/tests/console/run_program.cpp
  LIBS movra_app movra_palvex_drive
  PROPERTIES RESOURCE_LOCK movra_hklm_entries RUN_SERIAL TRUE)
add_dependencies(palvex_tests Palvex bare_window)
