# Views: the layout arithmetic, and the view over real items and viewers.
movra_add_test(NAME bar_view_layout_tests TIMEOUT 60 SOURCES bar_view_layout_test.cpp LIBS movra_toolbars)
