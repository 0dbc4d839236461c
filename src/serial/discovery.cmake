# sk_discovery: listing the PC's serial ports (included by serial/CMakeLists.txt).
add_library(sk_discovery ${CMAKE_CURRENT_LIST_DIR}/port_discovery.cpp)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  target_sources(sk_discovery PRIVATE ${CMAKE_CURRENT_LIST_DIR}/posix/discovery_linux.cpp)
elseif(WIN32)
  target_sources(sk_discovery PRIVATE ${CMAKE_CURRENT_LIST_DIR}/win32/discovery_win32.cpp)
endif()
target_include_directories(sk_discovery PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(sk_discovery PUBLIC sk_support)
