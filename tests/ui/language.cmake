# Tests of the language component; included from tests/ui/CMakeLists.txt.
if(TARGET sk_language)
  sk_add_test(language_table_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/language_table_test.cpp
    LIBS sk_language
    ENV QT_QPA_PLATFORM=offscreen)
  set_target_properties(language_table_test PROPERTIES AUTOMOC ON)
endif()
