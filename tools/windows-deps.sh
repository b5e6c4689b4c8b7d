#!/usr/bin/env bash
# Cross-builds the Windows x86-64 libraries (zlib, SDL2, FreeType, FFmpeg, OpenAL
# Soft) from the Debian source packages pinned in tools/windows-deps.pins, once,
# into a cache folder keyed by the pins, this script and the compiler:
#   bash tools/windows-deps.sh        prints the prefix (lib/pkgconfig, bin, licenses)
# TESSERA_WINDOWS_DEPS moves the cache (default build/windows-deps).
# SDL2, FreeType and zlib are static; FFmpeg and OpenAL Soft are DLLs in bin/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
host=x86_64-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
jobs=${JOBS:-2}

# The cache key: the pins, the build steps below and the compilers.
key=$( { cat tools/windows-deps.pins; sed -n '/^# Build steps/,/^# End of build steps/p' tools/windows-deps.sh
         $cc --version; $cxx --version; nasm -v; } | sha256sum | cut -c1-16)
cache=${TESSERA_WINDOWS_DEPS:-$root/build/windows-deps}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
prefix=$cache/$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

log() { printf '[windows-deps %s] %s\n' "$(date +%T)" "$*" >&2; }
# One build at a time per cache folder.
exec 9>"$cache/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
work=$cache/work-$key
rm -rf "$work" "$prefix"
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
  local name=$1 line n release pkg version file sum dir
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
  done < <(grep -v '^#' tools/windows-deps.pins)
  log "$name: no pinned source could be fetched (see $work/dl/$name-*/fetch.log)"
  exit 1
}

# dscverify_files DSC: every file the .dsc lists has the SHA-256 it gives.
dscverify_files() {
  sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$1" | while read -r sum _ f; do
    [ "$(sha256sum <"$f" | cut -d' ' -f1)" = "$sum" ] || { log "checksum mismatch: $f"; return 1; }
  done
}

licence() { # NAME FILE...: the licence texts shipped beside the DLLs
  mkdir -p "$prefix/licenses/$1"
  local name=$1; shift
  cp "$@" "$prefix/licenses/$name/"
}

for name in zlib sdl2 freetype ffmpeg openal; do fetch "$name"; done

# Build steps (their text is part of the cache key).
log "zlib"
# Debian's zlib source has no Windows makefile: the library is its C files.
(cd "$work/zlib" && for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
     inflate inftrees trees uncompr zutil; do $cc -O2 -c $f.c -o $f.o || exit 1; done &&
   $host-ar rcs libz.a ./*.o && cp zlib.h zconf.h "$prefix/include/" && cp libz.a "$prefix/lib/") >"$work/zlib.log" 2>&1 ||
  { tail -30 "$work/zlib.log" >&2; exit 1; }
licence zlib "$work/zlib/debian/copyright"
cat >"$prefix/lib/pkgconfig/zlib.pc" <<EOF
prefix=$prefix
Name: zlib
Description: zlib compression library
Version: 1.2.13
Libs: -L\${prefix}/lib -lz
Cflags: -I\${prefix}/include
EOF

log "SDL2 (static)"
(cd "$work/sdl2" && ./configure --host=$host --prefix="$prefix" CC=$cc --disable-shared --enable-static \
   >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
  { tail -30 "$work/sdl2/configure.log" "$work/sdl2/build.log" >&2 2>/dev/null; exit 1; }
licence sdl2 "$work/sdl2/LICENSE.txt" "$work/sdl2/debian/copyright"
# Our own sdl2.pc: the static library and the Windows libraries it needs, without
# SDL2main and -mwindows (the game has its own main and tells SDL so).
sdl_libs=$(sed -n 's/^Libs: *//p' "$prefix/lib/pkgconfig/sdl2.pc" |
           tr ' ' '\n' | grep -vxE -e '-L.*|-lmingw32|-lSDL2main|-lSDL2|-mwindows|' | tr '\n' ' ')
cat >"$prefix/lib/pkgconfig/sdl2.pc" <<EOF
prefix=$prefix
Name: sdl2
Description: Simple DirectMedia Layer (static)
Version: 2.26.5
Libs: -L\${prefix}/lib -lSDL2 $sdl_libs
Cflags: -I\${prefix}/include/SDL2
EOF

log "FreeType (static)"
(cd "$work/freetype" && ./configure --host=$host --prefix="$prefix" CC=$cc --disable-shared --enable-static \
   --without-zlib --without-bzip2 --without-png --without-harfbuzz --without-brotli \
   >configure.log 2>&1 && make -j"$jobs" >build.log 2>&1 && make install >install.log 2>&1) ||
  { tail -30 "$work/freetype/configure.log" "$work/freetype/build.log" >&2 2>/dev/null; exit 1; }
licence freetype "$work/freetype/docs/FTL.TXT" "$work/freetype/debian/copyright"

log "FFmpeg (DLLs)"
(cd "$work/ffmpeg" && ./configure --prefix="$prefix" --target-os=mingw32 --arch=x86_64 \
   --cross-prefix=$host- --cc=$cc --cxx=$cxx --enable-cross-compile \
   --extra-cflags="-I$prefix/include" --extra-ldflags="-L$prefix/lib -static-libgcc" \
   --extra-libs=-l:libwinpthread.a \
   --enable-shared --disable-static --disable-debug --disable-doc --disable-programs \
   --disable-everything --disable-network --disable-autodetect --enable-w32threads --enable-zlib \
   --disable-avdevice --disable-avfilter --disable-postproc --enable-swscale --enable-swresample \
   --enable-protocol=file \
   --enable-demuxer=avi,wav,image2,image_png_pipe,image_jpeg_pipe,image_bmp_pipe \
   --enable-muxer=avi \
   --enable-decoder='cinepak,msvideo1,msrle,indeo3,indeo4,indeo5,truemotion1,mjpeg,mpeg4,msmpeg4v1,msmpeg4v2,msmpeg4v3,rawvideo,pcm_*,adpcm_ms,adpcm_ima_wav,mp3,mp3float,gsm,gsm_ms,png,bmp' \
   --enable-encoder=mpeg4,pcm_s16le,png,mjpeg \
   --enable-parser=mpeg4video,mjpeg,png,bmp,mpegaudio,gsm \
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

# The C and C++ runtimes linked into every program and DLL.
licence mingw-w64-runtime /usr/share/doc/mingw-w64-x86-64-dev/copyright
licence gcc-runtime /usr/share/doc/gcc-mingw-w64-base/copyright
# End of build steps.

log "done in $(( $(date +%s) - start )) s (load $(cut -d' ' -f1-3 /proc/loadavg))"
rm -rf "$work"
touch "$prefix/.complete"
# Builds for older pins are of no more use.
find "$cache" -mindepth 1 -maxdepth 1 ! -name "$key" ! -name .lock -exec rm -rf {} +
echo "$prefix"
