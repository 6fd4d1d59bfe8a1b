# Cross-build for 64-bit Windows with MinGW-w64 (Debian's posix-thread
# variant, which has std::thread). Programs are linked statically, so the
# .exe needs no DLL beside it; Wine runs the tests on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(prefisso_mingw x86_64-w64-mingw32)

# The cross compiler, Wine to run the tests and GoogleTest's sources to build
# them for the target: installed when missing (this file is read again for
# every compiler check, so look before installing).
if(NOT EXISTS /usr/bin/${prefisso_mingw}-g++-posix OR NOT EXISTS /usr/lib/wine/wine64
   OR NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  include(${CMAKE_CURRENT_LIST_DIR}/pacchetti.cmake)
  installa_pacchetti(g++-mingw-w64-x86-64-posix wine64 googletest)
endif()
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
# Debian's wine64 package puts its loader there, not on the PATH.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
