# Cross-builds the Windows program on Linux with MinGW-w64 (x86-64, posix
# threads) and runs its test executables under Wine, so ctest treats them
# like native ones.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_varnel_mingw x86_64-w64-mingw32)
find_program(VARNEL_MINGW_CC NAMES ${_varnel_mingw}-gcc-posix)
find_program(VARNEL_MINGW_CXX NAMES ${_varnel_mingw}-g++-posix)
find_program(VARNEL_MINGW_WINDRES NAMES ${_varnel_mingw}-windres)
foreach(_tool VARNEL_MINGW_CC VARNEL_MINGW_CXX VARNEL_MINGW_WINDRES)
  if(NOT ${_tool})
    message(FATAL_ERROR
      "MinGW-w64 cross tools not found (${_tool}). Install the Debian packages "
      "g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64 "
      "(x86_64-w64-mingw32-gcc-posix, -g++-posix and -windres).")
  endif()
endforeach()

set(CMAKE_C_COMPILER ${VARNEL_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VARNEL_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VARNEL_MINGW_WINDRES})

# Headers and libraries come from the MinGW sysroot only; programs (windres,
# wine, python) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${_varnel_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, so the .exe files run on a bare Windows without the
# MinGW runtime DLLs (libgcc, libstdc++, libwinpthread).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables (and gtest's test discovery) run through Wine. The wrapper
# keeps its own Wine prefix inside the build folder so a build never touches
# the user's ~/.wine; windows need a DISPLAY, which the test command provides
# with xvfb-run.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;--prefix=${CMAKE_BINARY_DIR}/wineprefix")
