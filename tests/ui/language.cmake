# Tests of the language component; included from tests/ui/CMakeLists.txt.
sk_add_test(language_table_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/language_table_test.cpp
  LIBS ui_testsupport testsupport
  ENV QT_QPA_PLATFORM=offscreen
  TIMEOUT 120)
set_target_properties(language_table_test PROPERTIES AUTOMOC ON)
