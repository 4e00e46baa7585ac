# Tests of the options dialog, the wizard and the About box.
set(movra_dialogs2_support ${CMAKE_CURRENT_SOURCE_DIR}/../runtime/ui/ui_test_support.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/dialogs2_test.rc)
# The options dialog writes the HKEY_LOCAL_MACHINE autostart value and Explorer verb.
movra_add_test(NAME app_options_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/options_test.cpp ${movra_dialogs2_support} LIBS movra_app
  PROPERTIES RESOURCE_LOCK movra_hklm_entries)
# The wizard's tests share the mail clients' keys under HKEY_CURRENT_USER.
movra_add_test(NAME app_wizard_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/wizard_test.cpp ${movra_dialogs2_support} LIBS movra_app
  PROPERTIES RESOURCE_LOCK movra_wizard_user_keys)
movra_add_test(NAME app_about_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/about_test.cpp ${movra_dialogs2_support} LIBS movra_app)
