movra_add_test(NAME skin_utils_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_utils_test.cpp
  LIBS movra_themes)
movra_add_test(NAME skin_utils_benchmark
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_fill_benchmark.cpp
  LIBS movra_themes TIMEOUT 600)
movra_add_test(NAME skin_themes_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_themes_test.cpp ${CMAKE_CURRENT_LIST_DIR}/skin_switcher_test.cpp
  LIBS movra_themes)
