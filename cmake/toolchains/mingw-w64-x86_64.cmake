# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, which std::thread needs). Programs link statically, libstdc++ and
# winpthread included, so each .exe runs without any DLL beside it; tests run
# under Wine's 64-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QIMBRA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QIMBRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QIMBRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QIMBRA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QIMBRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine's own 64-bit loader: the `wine` wrapper insists on a 32-bit Wine too.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(QIMBRA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(NOT QIMBRA_WINE64)
    find_program(QIMBRA_WINE64 NAMES wine64)
  endif()
  if(QIMBRA_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QIMBRA_WINE64})
  endif()
endif()
