# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which
# std::thread and Qt need). VORFJP_WIN_PREFIX is the folder scripts/windows builds Qt and the
# libraries into; only it and the compiler's own folder are searched for libraries and headers,
# so nothing of the Linux system leaks into the Windows programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORFJP_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORFJP_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORFJP_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VORFJP_MINGW}-windres)

if(NOT VORFJP_WIN_PREFIX AND DEFINED ENV{VORFJP_WIN_PREFIX})
    set(VORFJP_WIN_PREFIX $ENV{VORFJP_WIN_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${VORFJP_MINGW} ${VORFJP_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config finds only the libraries built for Windows, by their installed paths.
set(ENV{PKG_CONFIG_LIBDIR} ${VORFJP_WIN_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The build's programs run under Wine, in a Wine prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run --copy-of ${CMAKE_BINARY_DIR}/wine ${VORFJP_WIN_PREFIX})
