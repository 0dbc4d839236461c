# cmake -DSK_HEX_IN=<hex file> -DSK_CPP_OUT=<cpp file> -P embed_firmware.cmake
# Turns the firmware image's text into a C++ array of its lines, so the
# program carries the image without reading any file at run time.
file(READ "${SK_HEX_IN}" text)
# A ';' would split a list element; no record holds one, and the check below
# refuses anything that is not a record.
string(REPLACE "\n" ";" lines "${text}")
set(body "")
set(count 0)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "\r$" "" line "${line}")
  if(line STREQUAL "")
    continue()
  endif()
  # Only record characters may reach the generated string literals.
  if(NOT line MATCHES "^:[0-9A-Fa-f]*$")
    message(FATAL_ERROR "${SK_HEX_IN}: line ${count} is not an Intel HEX record: ${line}")
  endif()
  string(APPEND body "    \"${line}\",\n")
  math(EXPR count "${count} + 1")
endforeach()
file(WRITE "${SK_CPP_OUT}.tmp"
"// Generated from ${SK_HEX_IN} by embed_firmware.cmake; do not edit.
#include <cstddef>

namespace sk::firmware_data {
extern const char* const kLines[];
extern const std::size_t kLineCount;
const char* const kLines[] = {
${body}    nullptr,
};
const std::size_t kLineCount = ${count};
}  // namespace sk::firmware_data
")
file(COPY_FILE "${SK_CPP_OUT}.tmp" "${SK_CPP_OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${SK_CPP_OUT}.tmp")
