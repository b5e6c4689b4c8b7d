#!/usr/bin/env bash
# Builds the libraries of one target from the Debian source packages pinned in
# tools/deps.pins, once, into a cache keyed by the pins, the target's build steps
# and its compilers:
#   bash tools/deps.sh windows   Windows x86-64 (MinGW-w64): zlib, SDL2, FreeType
#                                and libzip static; FFmpeg and OpenAL Soft DLLs
#   bash tools/deps.sh web       WebAssembly (Emscripten): zlib, SDL2, FreeType,
#                                a small FFmpeg and libzip, all static
#   bash tools/deps.sh web-bench Google Benchmark for WebAssembly, static (the
#                                benchmarks under Node.js; apart from web, so
#                                the game's libraries are not built again for it)
# It prints the prefix (lib/pkgconfig, include, bin, licenses, versions.txt).
# The cache lives outside the clone, so fresh clones on the same machine reuse it:
# $TESSERA_DEPS_CACHE, default ~/.cache/tessera/deps, one folder per target.
# The whole script is one block, read before it runs: editing this file while a
# build runs does not change that build.
{
set -eEuo pipefail
trap 'log "stopped: the command at line $LINENO failed"' ERR
cd "$(dirname "$0")/.."
root=$PWD
target=${1:-}
jobs=${JOBS:-2}
pins=$root/tools/deps.pins

log() { printf '[deps %s %s] %s\n' "$target" "$(date +%T)" "$*" >&2; }

# The libraries of each target, in build order.
case $target in
  windows) names=(zlib sdl2 freetype ffmpeg openal libzip)
           host=x86_64-w64-mingw32 cc=$host-gcc-posix cxx=$host-g++-posix
           compilers() { $cc --version; $cxx --version; nasm -v; cmake --version; } ;;
  web)     names=(zlib sdl2 freetype ffmpeg libzip)
           # Debian's emcc looks for its JavaScript helpers in Debian's node folder.
           export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
           compilers() { emcc --version | sed -n 1p; clang-14 --version | sed -n 1p; cmake --version; } ;;
  web-bench) names=(benchmark)
           export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
           compilers() { emcc --version | sed -n 1p; cmake --version; } ;;
  *) echo "usage: bash tools/deps.sh windows|web|web-bench" >&2; exit 2 ;;
esac

# The ffmpeg pieces the game uses (movies, their sound, the PNG screenshots) and
# the tool uses (movies it writes): the same on every target.
ffmpeg_components=(
  --disable-everything --disable-network --disable-autodetect --disable-debug --disable-doc
  --disable-programs --disable-avdevice --disable-avfilter --disable-postproc
  --enable-swscale --enable-swresample --enable-zlib --enable-protocol=file
  --enable-demuxer=avi,wav,image2,image_png_pipe,image_jpeg_pipe,image_bmp_pipe
  --enable-muxer=avi
  --enable-decoder='cinepak,msvideo1,msrle,indeo3,indeo4,indeo5,truemotion1,mjpeg,mpeg4,msmpeg4v1,msmpeg4v2,msmpeg4v3,rawvideo,pcm_*,adpcm_ms,adpcm_ima_wav,mp3,mp3float,gsm,gsm_ms,png,bmp'
  --enable-encoder=mpeg4,pcm_s16le,png,mjpeg
  --enable-parser=mpeg4video,mjpeg,png,bmp,mpegaudio,gsm)
# libzip reads and writes ZIP files with zlib's deflate alone: no encryption and
# no other compressors.
libzip_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF
  -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF
  -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF
  -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF)

# Build steps (each function's text is part of its target's cache key).
zlib_objects() { # CC: compiles Debian's zlib into libz.a (its makefiles know neither target)
  local f
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
           inflate inftrees trees uncompr zutil; do
    "$@" -O2 -c "$work/zlib/$f.c" -o "$work/zlib/$f.o" || return 1
  done
}

pc_file() { # NAME VERSION LIBS CFLAGS: our own pkg-config file for NAME
  cat >"$prefix/lib/pkgconfig/$1.pc" <<EOF
prefix=$prefix
Name: $1
Description: $1 (tools/deps.sh $target)
Version: $2
Libs: -L\${prefix}/lib $3
Cflags: $4
EOF
}

build_libzip() { # CMAKE-COMMAND...: libzip against the prefix's zlib
  mkdir -p "$work/libzip-build"
  (cd "$work/libzip-build" && "$@" "$work/libzip" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" \
     "${libzip_options[@]}" -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
     >configure.log 2>&1 && ninja -j"$jobs" >build.log 2>&1 && ninja install >install.log 2>&1) ||
    { tail -30 "$work/libzip-build/configure.log" "$work/libzip-build/build.log" >&2 2>/dev/null; return 1; }
  licence libzip "$work/libzip/LICENSE" "$work/libzip/debian/copyright"
}

build_windows() {
  log "zlib"
  (zlib_objects $cc && cd "$work/zlib" && $host-ar rcs libz.a ./*.o && cp zlib.h zconf.h "$prefix/include/" &&
     cp libz.a "$prefix/lib/") >"$work/zlib.log" 2>&1 || { tail -30 "$work/zlib.log" >&2; exit 1; }
  licence zlib "$work/zlib/debian/copyright"
  pc_file zlib 1.2.13 -lz "-I\${prefix}/include"

  log "SDL2 (static)"
  (cd "$work/sdl2" && ./configure --host=$host --prefix="$prefix" CC=$cc --disable-shared --enable-static \
     >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
    { tail -30 "$work/sdl2/configure.log" "$work/sdl2/build.log" >&2 2>/dev/null; exit 1; }
  licence sdl2 "$work/sdl2/LICENSE.txt" "$work/sdl2/debian/copyright"
  # Our own sdl2.pc: the static library and the Windows libraries it needs, without
  # SDL2main and -mwindows (the game has its own main and tells SDL so).
  local sdl_libs
  sdl_libs=$(sed -n 's/^Libs: *//p' "$prefix/lib/pkgconfig/sdl2.pc" |
             tr ' ' '\n' | grep -vxE -e '-L.*|-lmingw32|-lSDL2main|-lSDL2|-mwindows|' | tr '\n' ' ')
  pc_file sdl2 2.26.5 "-lSDL2 $sdl_libs" "-I\${prefix}/include/SDL2"

  log "FreeType (static)"
  # With the prefix's zlib: its own copy would clash with the one libzip uses
  # in the same program.
  (cd "$work/freetype" && ./configure --host=$host --prefix="$prefix" CC=$cc --disable-shared --enable-static \
     --with-zlib=yes ZLIB_CFLAGS="-I$prefix/include" ZLIB_LIBS="-L$prefix/lib -lz" \
     --without-bzip2 --without-png --without-harfbuzz --without-brotli \
     >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
    { tail -30 "$work/freetype/configure.log" "$work/freetype/build.log" >&2 2>/dev/null; exit 1; }
  licence freetype "$work/freetype/docs/FTL.TXT" "$work/freetype/debian/copyright"
  pc_file freetype2 2.12.1 "-lfreetype -lz" "-I\${prefix}/include/freetype2"

  log "FFmpeg (DLLs)"
  (cd "$work/ffmpeg" && ./configure --prefix="$prefix" --target-os=mingw32 --arch=x86_64 \
     --cross-prefix=$host- --cc=$cc --cxx=$cxx --enable-cross-compile \
     --extra-cflags="-I$prefix/include" --extra-ldflags="-L$prefix/lib -static-libgcc" \
     --extra-libs=-l:libwinpthread.a \
     --enable-shared --disable-static --enable-w32threads "${ffmpeg_components[@]}" \
     >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
    { tail -30 "$work/ffmpeg/configure.log" "$work/ffmpeg/build.log" >&2 2>/dev/null; exit 1; }
  licence ffmpeg "$work/ffmpeg/COPYING.LGPLv2.1" "$work/ffmpeg/LICENSE.md" "$work/ffmpeg/debian/copyright"

  log "OpenAL Soft (DLL)"
  mkdir -p "$work/openal-build"
  (cd "$work/openal-build" && cmake "$work/openal" -G Ninja -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=$cc -DCMAKE_CXX_COMPILER=$cxx \
     -DCMAKE_RC_COMPILER=$host-windres -DCMAKE_FIND_ROOT_PATH="/usr/$host;$prefix" \
     -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
     -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_INSTALL_PREFIX="$prefix" \
     -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF -DALSOFT_INSTALL_CONFIG=OFF \
     -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF -DALSOFT_UPDATE_BUILD_VERSION=OFF \
     -DALSOFT_STATIC_LIBGCC=ON -DALSOFT_STATIC_STDCXX=ON -DALSOFT_STATIC_WINPTHREAD=ON \
     >configure.log 2>&1 && ninja -j"$jobs" >build.log 2>&1 && ninja install >install.log 2>&1) ||
    { tail -30 "$work/openal-build/configure.log" "$work/openal-build/build.log" >&2 2>/dev/null; exit 1; }
  licence openal "$work/openal/COPYING"
  [ -f "$work/openal/debian/copyright" ] && licence openal "$work/openal/debian/copyright"

  log "libzip (static)"
  build_libzip cmake -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=$cc -DCMAKE_RC_COMPILER=$host-windres \
    -DCMAKE_FIND_ROOT_PATH="/usr/$host;$prefix" -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER \
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY || exit 1
  # ZIP_STATIC: the headers declare plain functions rather than DLL imports.
  pc_file libzip 1.7.3 "-lzip -lz" "-I\${prefix}/include -DZIP_STATIC"

  # The C and C++ runtimes linked into every program and DLL.
  licence mingw-w64-runtime /usr/share/doc/mingw-w64-x86-64-dev/copyright
  licence gcc-runtime /usr/share/doc/gcc-mingw-w64-base/copyright
}

build_web() {
  # No threads (a page without special headers has none), no assembly.
  local cflags="-O2"
  # emcc's compile step is clang with emcc's flags behind a Python start-up that
  # costs more than compiling a configure check: compiling goes to clang
  # directly (the same objects), linking (configure's link checks) to emcc.
  mkdir -p "$work/bin"
  printf '%s\n' '#!/bin/sh' 'for arg; do' \
    "  case \$arg in -c|-E|-S|-M|-MM) exec clang-14 $(emcc --cflags) \"\$@\" ;; esac" \
    'done' 'exec emcc "$@"' >"$work/bin/wasm-cc"
  chmod +x "$work/bin/wasm-cc"
  local cc=$work/bin/wasm-cc ar=llvm-ar-14 ranlib=llvm-ranlib-14
  log "zlib"
  (zlib_objects "$cc" -DHAVE_UNISTD_H && cd "$work/zlib" && $ar rcs libz.a ./*.o && cp zlib.h zconf.h "$prefix/include/" &&
     cp libz.a "$prefix/lib/") >"$work/zlib.log" 2>&1 || { tail -30 "$work/zlib.log" >&2; exit 1; }
  licence zlib "$work/zlib/debian/copyright"
  pc_file zlib 1.2.13 -lz "-I\${prefix}/include"

  log "SDL2"
  (cd "$work/sdl2" && ./configure --host=wasm32-unknown-emscripten --prefix="$prefix" \
     --disable-shared --enable-static --disable-pthreads --disable-assembly --disable-cpuinfo \
     CC="$cc" AR=$ar RANLIB=$ranlib CFLAGS="$cflags" >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 &&
     make install >install.log 2>&1) ||
    { tail -30 "$work/sdl2/configure.log" "$work/sdl2/build.log" >&2 2>/dev/null; exit 1; }
  licence sdl2 "$work/sdl2/LICENSE.txt" "$work/sdl2/debian/copyright"
  pc_file sdl2 2.26.5 -lSDL2 "-I\${prefix}/include/SDL2"

  log "FreeType"
  # With the prefix's zlib: its own copy would clash with it in the one program.
  (cd "$work/freetype" && ./configure --host=wasm32-unknown-emscripten --prefix="$prefix" \
     --disable-shared --enable-static --with-zlib=yes ZLIB_CFLAGS="-I$prefix/include" ZLIB_LIBS="-L$prefix/lib -lz" \
     --without-bzip2 --without-png --without-harfbuzz \
     --without-brotli CC="$cc" AR=$ar RANLIB=$ranlib CFLAGS="$cflags" >configure.log 2>&1 &&
     make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
    { tail -30 "$work/freetype/configure.log" "$work/freetype/build.log" >&2 2>/dev/null; exit 1; }
  licence freetype "$work/freetype/docs/FTL.TXT" "$work/freetype/debian/copyright"
  pc_file freetype2 2.12.1 "-lfreetype -lz" "-I\${prefix}/include/freetype2"

  log "FFmpeg"
  (cd "$work/ffmpeg" && ./configure --prefix="$prefix" --target-os=none --arch=x86_32 --enable-cross-compile \
     --cc="$cc" --cxx=em++ --ar=$ar --ranlib=$ranlib --nm=llvm-nm-14 --disable-asm --disable-x86asm \
     --disable-inline-asm --disable-stripping --disable-pthreads --disable-w32threads --disable-os2threads \
     --disable-runtime-cpudetect --enable-static --disable-shared \
     --extra-cflags="-I$prefix/include $cflags" --extra-ldflags="-L$prefix/lib" "${ffmpeg_components[@]}" \
     >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
    { tail -30 "$work/ffmpeg/configure.log" "$work/ffmpeg/build.log" >&2 2>/dev/null; exit 1; }
  licence ffmpeg "$work/ffmpeg/COPYING.LGPLv2.1" "$work/ffmpeg/LICENSE.md" "$work/ffmpeg/debian/copyright"
  # Static libraries: each .pc names what it needs after it.
  pc_file libavformat 59 "-lavformat -lavcodec -lswresample -lavutil -lz -lm" "-I\${prefix}/include"
  pc_file libavcodec 59 "-lavcodec -lswresample -lavutil -lz -lm" "-I\${prefix}/include"
  pc_file libswscale 6 "-lswscale -lavutil -lm" "-I\${prefix}/include"
  pc_file libswresample 4 "-lswresample -lavutil -lm" "-I\${prefix}/include"
  pc_file libavutil 57 "-lavutil -lm" "-I\${prefix}/include"

  log "libzip"
  # Emscripten's type-size check runs its program under Node.js and takes the
  # exit code for the size, which fails here: the sizes are given (musl's off_t
  # has 64 bits, size_t 32 in wasm32).
  build_libzip emcmake cmake -DHAVE_SIZEOF_OFF_T=TRUE -DSIZEOF_OFF_T=8 -DHAVE_SIZEOF_SIZE_T=TRUE \
    -DSIZEOF_SIZE_T=4 || exit 1
  pc_file libzip 1.7.3 "-lzip -lz" "-I\${prefix}/include"

  # The C and C++ runtimes (musl, libc++) linked into the program.
  licence emscripten /usr/share/doc/emscripten/copyright
}
build_web-bench() {
  # WebAssembly's own exceptions, as the programs run under Node.js have them.
  # Debian's source names no version of its own (upstream asks git): given here.
  log "Google Benchmark"
  mkdir -p "$work/benchmark-build"
  (cd "$work/benchmark-build" && emcmake cmake "$work/benchmark" -G Ninja -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_CXX_FLAGS=-fwasm-exceptions -DBENCHMARK_ENABLE_TESTING=OFF \
     -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_LTO=OFF \
     -DBENCHMARK_ENABLE_LIBPFM=OFF -DBENCHMARK_INSTALL_DOCS=OFF -DHAVE_STD_REGEX=ON -DHAVE_POSIX_REGEX=ON \
     -DHAVE_STEADY_CLOCK=ON -DGIT_VERSION=1.7.1 >configure.log 2>&1 && ninja -j"$jobs" >build.log 2>&1 && ninja install >install.log 2>&1) ||
    { tail -30 "$work/benchmark-build/configure.log" "$work/benchmark-build/build.log" >&2 2>/dev/null; exit 1; }
  licence benchmark "$work/benchmark/LICENSE" "$work/benchmark/debian/copyright"
}
# End of build steps.

# The cache key: this target's pins, its build steps and its compilers.
pinned() { grep -v '^#' "$pins" | awk -v list=" ${names[*]} " 'index(list, " " $1 " ")'; }
key=$( { pinned; declare -f zlib_objects pc_file build_libzip "build_$target"
         printf '%s\n' "${ffmpeg_components[@]}" "${libzip_options[@]}"; compilers; } |
       sha256sum | cut -c1-16)
cache=${TESSERA_DEPS_CACHE:-$HOME/.cache/tessera/deps}/$target
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
prefix=$cache/$key
used() { # keeps a record of the last use: old builds nobody used for a month go
  touch "$prefix/.used"
  find "$cache" -mindepth 2 -maxdepth 2 -name .used -mtime +30 -printf '%h\0' | xargs -0r rm -rf
}
if [ -f "$prefix/.complete" ]; then
  used
  echo "$prefix"
  exit 0
fi

# One build at a time per target (clones of the project share the cache).
exec 9>"$cache/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  used
  echo "$prefix"
  exit 0
fi
work=$cache/work-$key
# What a failed or stopped build left behind (this target's lock is held).
find "$cache" -mindepth 1 -maxdepth 1 -type d \( -name 'work-*' -o ! -exec test -e '{}/.complete' \; \) \
  -exec rm -rf {} +
mkdir -p "$work/apt/lists/partial" "$work/src" "$prefix"/{bin,lib/pkgconfig,include,licenses}
start=$(date +%s)

# A private deb-src list: the system's apt configuration stays as it is.
cat > "$work/apt/sources.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt"
     -o "Dir::State::Lists=$work/apt/lists" -o APT::Sandbox::User=root)
apt-get "${apt[@]}" update >"$work/apt/update.log" 2>&1 || { cat "$work/apt/update.log" >&2; exit 1; }

# fetch NAME: unpacks the first pinned source of NAME that can be fetched and
# matches its checksum into $work/NAME; records the version used.
fetch() {
  local name=$1 n release pkg version file sum dir
  while read -r n release pkg version file sum; do
    [ "$n" = "$name" ] || continue
    dir=$work/dl/$name-$release
    rm -rf "$dir" && mkdir -p "$dir"
    log "$name: fetching $pkg $version ($release)"
    (cd "$dir" && apt-get "${apt[@]}" source --download-only "$pkg=$version" >fetch.log 2>&1) ||
      log "$name: $pkg $version not fully fetched: $(grep -m1 '^E:' "$dir/fetch.log" || true)"
    if [ ! -f "$dir/$file" ] || [ "$(sha256sum <"$dir/$file" | cut -d' ' -f1)" != "$sum" ]; then
      log "$name: $file missing or its SHA-256 differs from the pin; trying the next source"
      continue
    fi
    rm -rf "$work/$name"
    case $file in
      *.dsc)
        (cd "$dir" && dpkg-source --no-check -x "$file" "$work/$name" >extract.log 2>&1 &&
           dscverify_files "$file") || { log "$name: $file did not unpack"; rm -rf "$work/$name"; continue; } ;;
      *.tar.*)
        mkdir -p "$work/$name" && tar -xf "$dir/$file" -C "$work/$name" --strip-components=1 ;;
    esac
    echo "$name $pkg $version ($release)" >>"$prefix/versions.txt"
    return 0
  done < <(grep -v '^#' "$pins")
  log "$name: no pinned source could be fetched (see $work/dl/$name-*/fetch.log)"
  exit 1
}

# dscverify_files DSC: every file the .dsc lists has the SHA-256 it gives.
dscverify_files() {
  sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$1" | while read -r sum _ f; do
    [ "$(sha256sum <"$f" | cut -d' ' -f1)" = "$sum" ] || { log "checksum mismatch: $f"; return 1; }
  done
}

licence() { # NAME FILE...: the licence texts shipped beside the programs
  mkdir -p "$prefix/licenses/$1"
  local name=$1; shift
  cp "$@" "$prefix/licenses/$name/"
}

for name in "${names[@]}"; do fetch "$name"; done
"build_$target"

log "done in $(( $(date +%s) - start )) s (load $(cut -d' ' -f1-3 /proc/loadavg))"
rm -rf "$work"
touch "$prefix/.complete"
used
echo "$prefix"
exit 0
}
