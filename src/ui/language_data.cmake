# Turns the language table data file into a C++ source, so the table is part of
# the program. Run as: cmake -DINPUT=<tsv> -DOUTPUT=<cpp> -P language_data.cmake
file(READ "${INPUT}" content)
if(content MATCHES "\\)sktable\"")
  message(FATAL_ERROR "${INPUT} contains the literal's end marker )sktable\"")
endif()
# MSVC takes at most about 16 KB in one string literal; the table is far below.
string(LENGTH "${content}" length)
if(length GREATER 16000)
  message(FATAL_ERROR "${INPUT} is too large for one string literal; split the literal")
endif()
file(WRITE "${OUTPUT}.tmp"
  "// Generated from language_data.tsv by language_data.cmake; edit those instead.\n"
  "#include <cstddef>\n\n"
  "namespace sk {\n"
  "extern const char kLanguageTableSource[];\n"
  "extern const std::size_t kLanguageTableSourceSize;\n"
  "const char kLanguageTableSource[] = R\"sktable(${content})sktable\";\n"
  "const std::size_t kLanguageTableSourceSize = sizeof(kLanguageTableSource) - 1;\n"
  "}  // namespace sk\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
