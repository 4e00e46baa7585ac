# Benchmark, not a timed test: views of 1,000 and of 10 items laid out, and a list view filled with
# the same captions, the times printed side by side.
movra_add_test(NAME bar_view_benchmark TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bar_view_benchmark.cpp
  LIBS movra_toolbars)
