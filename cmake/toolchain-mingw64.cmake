# Cross build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64).
# The -posix compilers: the default (win32) thread model has no std::thread.
# Everything is linked statically so the programs run under Wine, or on a PC,
# without MinGW's runtime DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No host .pc files: a library without a Windows build must not be found.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${SK_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs the build runs (the tests) go through Wine; see
# tests/support/wine/wine-run for the prefix and server it uses.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine/wine-run)
