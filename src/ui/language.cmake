# The language component and the window's language table, compiled in.
# Included from src/ui/CMakeLists.txt; gives the library sk_language.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

set(sk_language_source_cpp ${CMAKE_CURRENT_BINARY_DIR}/language_data_source.cpp)
add_custom_command(
  OUTPUT ${sk_language_source_cpp}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_CURRENT_LIST_DIR}/language_data.tsv
          -DOUTPUT=${sk_language_source_cpp} -P ${CMAKE_CURRENT_LIST_DIR}/language_data.cmake
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/language_data.tsv ${CMAKE_CURRENT_LIST_DIR}/language_data.cmake
  COMMENT "Compiling in the language table"
  VERBATIM)

add_library(sk_language
  ${CMAKE_CURRENT_LIST_DIR}/language_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_data.cpp
  ${sk_language_source_cpp})
target_include_directories(sk_language PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(sk_language PUBLIC sk_support Qt6::Widgets)
