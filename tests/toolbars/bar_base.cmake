# The framework's base units: shared hooks, common helpers and the popup animation.
movra_add_test(NAME bar_base_tests TIMEOUT 120
  SOURCES bar_hook_test.cpp bar_common_test.cpp
  LIBS movra_toolbars)
