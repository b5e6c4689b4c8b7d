# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix threading
# compilers: std::thread needs them). The libraries come from the folder that
# `tools/deps.sh windows` builds; TESSERA_WINDOWS_PREFIX names it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSERA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSERA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSERA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSERA_MINGW}-windres)

if(NOT TESSERA_WINDOWS_PREFIX AND DEFINED ENV{TESSERA_WINDOWS_PREFIX})
  set(TESSERA_WINDOWS_PREFIX $ENV{TESSERA_WINDOWS_PREFIX})
endif()
if(NOT TESSERA_WINDOWS_PREFIX)
  message(FATAL_ERROR "TESSERA_WINDOWS_PREFIX: the folder `tools/deps.sh windows` prints")
endif()
set(TESSERA_WINDOWS_PREFIX ${TESSERA_WINDOWS_PREFIX} CACHE PATH "Windows libraries (tools/deps.sh windows)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSERA_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSERA_MINGW} ${TESSERA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${TESSERA_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# libgcc, libstdc++ and winpthread go into every program: nothing but Windows'
# own DLLs and the shipped ones is needed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Tests run under Wine (tools/wine-run.sh: a throwaway prefix, no debug chatter,
# OpenAL's null output).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh --dlls ${TESSERA_WINDOWS_PREFIX}/bin)
