# Cross-build for 64-bit Windows with MinGW-w64 (Debian's posix-thread
# variant, which has std::thread). Programs are linked statically, so the
# .exe needs no DLL beside it; Wine runs the tests on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(prefisso_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${prefisso_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${prefisso_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${prefisso_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${prefisso_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest (and test discovery) run the Windows programs through Wine.
find_program(eseguitore_wine NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT eseguitore_wine)
  find_program(eseguitore_wine NAMES wine64 wine)
endif()
if(eseguitore_wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${eseguitore_wine})
endif()
