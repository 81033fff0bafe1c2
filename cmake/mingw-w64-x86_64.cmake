# Cross-build for 64-bit Windows with MinGW-w64. The -posix compilers carry the winpthreads
# threading model that std::thread and std::mutex need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZAVRO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZAVRO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAVRO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZAVRO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZAVRO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run through Wine; the caller sets WINEPREFIX and friends.
find_program(ZAVRO_WINE wine)
if(ZAVRO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZAVRO_WINE})
endif()
