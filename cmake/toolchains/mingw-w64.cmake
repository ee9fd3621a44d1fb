# Shared part of the Windows cross toolchains (mingw-w64-x86_64.cmake, mingw-w64-i686.cmake):
# the posix thread model compilers (std::thread and std::mutex need it), windres for the
# resources, and wine to run the test programs and the build-time generators.
# Expects ORVAN_MINGW_TRIPLE to be set by the including file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ORVAN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVAN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVAN_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${ORVAN_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ORVAN_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ORVAN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the C and C++ runtimes and winpthread statically, so the binaries
# import Windows' own DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs and generators run under wine, with a prefix inside the build folder
# (wine would otherwise write into the user's home).
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    wine)
