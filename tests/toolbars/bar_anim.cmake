# The popup animation on real windows: its own process, since it moves the cursor.
movra_add_test(NAME bar_anim_tests TIMEOUT 120
  SOURCES bar_anim_test.cpp
  LIBS movra_toolbars
  PROPERTIES RUN_SERIAL TRUE)
