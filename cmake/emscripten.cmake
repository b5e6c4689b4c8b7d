# WebAssembly with Debian's Emscripten (emcc 3.1.6: clang 14, libc++ 13, musl).
# The libraries come from the folder that `tools/deps.sh web` builds;
# TESSERA_WEB_PREFIX names it. Programs built here run under Node.js with the
# real file system (the headless game, the tools, the tests); the page's program
# is linked apart from the same libraries (tessera-page).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

if(NOT TESSERA_WEB_PREFIX AND DEFINED ENV{TESSERA_WEB_PREFIX})
  set(TESSERA_WEB_PREFIX $ENV{TESSERA_WEB_PREFIX})
endif()
if(NOT TESSERA_WEB_PREFIX)
  message(FATAL_ERROR "TESSERA_WEB_PREFIX: the folder `tools/deps.sh web` prints")
endif()
set(TESSERA_WEB_PREFIX ${TESSERA_WEB_PREFIX} CACHE PATH "WebAssembly libraries (tools/deps.sh web)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSERA_WEB_PREFIX)
list(APPEND CMAKE_FIND_ROOT_PATH ${TESSERA_WEB_PREFIX})

# pkg-config sees only the WebAssembly libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${TESSERA_WEB_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
# Debian's emcc finds its JavaScript helpers in Debian's node folder.
if(NOT DEFINED ENV{NODE_PATH})
  set(ENV{NODE_PATH} /usr/share/nodejs)
endif()

# WebAssembly's own exceptions (no JavaScript call around every call that may
# throw). Memory grows as the game needs it; main's return ends the program
# with its exit code.
set(CMAKE_C_FLAGS_INIT "-fwasm-exceptions")
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions")
set(TESSERA_WEB_LINK "-fwasm-exceptions -sALLOW_MEMORY_GROWTH=1")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "${TESSERA_WEB_LINK} -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 --pre-js ${CMAKE_CURRENT_LIST_DIR}/web/node-pre.js")

# Programs and tests run under Node.js.
find_program(TESSERA_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSERA_NODE} CACHE FILEPATH "Node.js" FORCE)
