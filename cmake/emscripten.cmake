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
# Google Benchmark for the benchmarks (`tools/deps.sh web-bench`), when built.
if(NOT TESSERA_WEB_BENCH_PREFIX AND DEFINED ENV{TESSERA_WEB_BENCH_PREFIX})
  set(TESSERA_WEB_BENCH_PREFIX $ENV{TESSERA_WEB_BENCH_PREFIX})
endif()
if(TESSERA_WEB_BENCH_PREFIX)
  set(TESSERA_WEB_BENCH_PREFIX ${TESSERA_WEB_BENCH_PREFIX} CACHE PATH "Google Benchmark for WebAssembly (tools/deps.sh web-bench)")
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSERA_WEB_BENCH_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TESSERA_WEB_BENCH_PREFIX})
endif()

# pkg-config sees only the WebAssembly libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${TESSERA_WEB_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
# Debian's emcc finds its JavaScript helpers in Debian's node folder.
if(NOT DEFINED ENV{NODE_PATH})
  set(ENV{NODE_PATH} /usr/share/nodejs)
endif()

# Exceptions: WebAssembly's own (no JavaScript call around every call that may
# throw) for the programs under Node.js; the page's program, whose stack
# Asyncify unwinds and rewinds, needs Emscripten's JavaScript ones, which
# Asyncify (Binaryen of Debian 12) can handle (TESSERA_WEB_PAGE, preset
# web-page). Memory grows as the game needs it.
option(TESSERA_WEB_PAGE "Build the page's program (JavaScript exceptions) instead of the Node.js ones" OFF)
if(TESSERA_WEB_PAGE)
  set(TESSERA_WEB_EXCEPTIONS "-fexceptions")
else()
  set(TESSERA_WEB_EXCEPTIONS "-fwasm-exceptions")
endif()
set(CMAKE_C_FLAGS_INIT "${TESSERA_WEB_EXCEPTIONS}")
set(CMAKE_CXX_FLAGS_INIT "${TESSERA_WEB_EXCEPTIONS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${TESSERA_WEB_EXCEPTIONS} -sALLOW_MEMORY_GROWTH=1")

# Tests that make a demo campaign wait for the WebAssembly tool, which paints
# and encodes it on one thread: minutes where the Linux one takes seconds.
set(TESSERA_TEST_TIMEOUT 1500)

# Programs and tests run under Node.js. Each .js starts with a "#!" line and
# may be run as it is, as a binary is on Linux: a test that runs its own
# program again (CurrentExecutable) runs the script.
set(CMAKE_CXX_LINK_EXECUTABLE
    "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES> && chmod +x <TARGET>")
find_program(TESSERA_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSERA_NODE} CACHE FILEPATH "Node.js" FORCE)
