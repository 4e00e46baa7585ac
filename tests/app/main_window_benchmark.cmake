# Benchmark, not a timed test: the main window started, added to and emptied with few and with
# many profiles, the times printed side by side.
movra_add_test(NAME main_window_benchmark TIMEOUT 600
  SOURCES main_window_benchmark.cpp ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test_support.cpp
          ${CMAKE_SOURCE_DIR}/tests/runtime/ui/ui_test.rc
  LIBS movra_app)
