# Cross-compiles for 64-bit Windows with Debian's MinGW-w64; programs built here run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The POSIX thread model, for std::thread; its winpthread is linked statically like the rest.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe carries its run-time, so it runs on a PC (or a Wine prefix) without MinGW's DLLs; no time
# of linking in its header, so that a rebuild gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

# ctest and test discovery start the .exe files through Wine; a build without tests needs no Wine.
if(NOT DEFINED BUILD_TESTING OR BUILD_TESTING)
  find_program(VIREZIRIV_WINE NAMES wine REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VIREZIRIV_WINE})
endif()
