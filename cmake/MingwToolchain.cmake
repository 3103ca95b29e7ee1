# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (POSIX threads flavour, for
# std::thread and std::mutex). The test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEMBA_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZEMBA_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEMBA_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEMBA_MINGW_HOST}-windres)

# Third-party libraries cross-built by scripts/setup-windows.sh, beside Debian's mingw zlib.
if(NOT DEFINED ZEMBA_MINGW_DEPS)
  set(ZEMBA_MINGW_DEPS /opt/zemba-mingw/current)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${ZEMBA_MINGW_HOST} ${ZEMBA_MINGW_DEPS})
set(CMAKE_PREFIX_PATH ${ZEMBA_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} ${ZEMBA_MINGW_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Static runtime: the executables run under Wine without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The static zlib, so no DLL has to sit beside the programs.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
