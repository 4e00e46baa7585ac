# Palvex.exe in its themed chrome, driven from outside, and what a user waits for at start-up
# and at the File menu. Both start the real program, which writes the registry values at exit,
# runs as one copy only and takes keys and pictures from the screen: each runs alone.
add_library(movra_palvex_drive STATIC ${CMAKE_CURRENT_LIST_DIR}/palvex_drive.cpp)
target_link_libraries(movra_palvex_drive PUBLIC movra_profiles movra_test_support oleacc oleaut32 ole32 uuid)
# The hook library that draws the program's windows in its own process, for their pictures.
add_library(window_printer SHARED ${CMAKE_CURRENT_LIST_DIR}/window_printer.cpp)
target_link_libraries(window_printer PRIVATE movra_test_support)
set_target_properties(window_printer PROPERTIES PREFIX "")
if(NOT MOVRA_TEST_DEBUG_INFO)
  target_link_options(window_printer PRIVATE -Wl,--strip-debug)
endif()

# The baseline of the benchmark: a bare window of the main window's size, nothing but the system.
add_executable(bare_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
target_link_options(bare_window PRIVATE -municode)

# Benchmark, not a timed test: start to first paint and Alt+F to the File menu's first paint,
# Palvex beside the bare window.
movra_add_test(NAME palvex_benchmark TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/palvex_benchmark.cpp
  LIBS movra_palvex_drive
  PROPERTIES RESOURCE_LOCK movra_hklm_entries RUN_SERIAL TRUE)
add_dependencies(palvex_benchmark Palvex bare_window)


# The themed chrome end to end: menus, languages, popup menus, the wrapping menu bar, the log
# panel's close button, and the pictures of the window.
movra_add_test(NAME palvex_chrome_tests TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/palvex_chrome_test.cpp
  LIBS movra_palvex_drive
  PROPERTIES RESOURCE_LOCK movra_hklm_entries RUN_SERIAL TRUE)
add_dependencies(palvex_chrome_tests Palvex window_printer)
