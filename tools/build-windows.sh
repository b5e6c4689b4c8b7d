#!/usr/bin/env bash
# Builds the Windows x86-64 release on Debian 12 (as root or with sudo): installs
# the MinGW-w64 cross compilers and Wine, cross-builds the libraries once
# (`tools/deps.sh windows`, cached while their pins stay the same), builds
# tessera.exe, tessera-tool.exe and the tests (preset windows), makes the demo
# campaign with the Windows tool under Wine, and writes
# build/windows/tessera-windows-x64.zip, checked to need nothing but Windows' own
# DLLs and those in the zip.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
log() { printf '[build-windows %s] %s\n' "$(date +%T)" "$*"; }

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
          nasm wine wine64 zip dpkg-dev make cmake ninja-build pkg-config libgtest-dev fonts-wqy-zenhei)
if ! dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -qv 'install ok installed' &&
   [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | wc -l)" = "${#packages[@]}" ]; then
  log "packages already installed"
else
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${packages[@]}"
fi

# --packages: only that (CI installs them first and builds the libraries in
# the background).
[ "${1:-}" != --packages ] || exit 0
start=$(date +%s)
TESSERA_WINDOWS_PREFIX=$(bash tools/deps.sh windows)
export TESSERA_WINDOWS_PREFIX
log "libraries: $TESSERA_WINDOWS_PREFIX ($(( $(date +%s) - start )) s)"
dlls=$TESSERA_WINDOWS_PREFIX/bin

# The build lists the tests by running them under Wine: its prefix is made first.
bash tools/wine-run.sh cmd.exe /c ver >/dev/null

start=$(date +%s)
# Libraries of other pins: what CMake found of the old ones is forgotten.
mkdir -p build/windows
if [ "$(cat build/windows/libraries.txt 2>/dev/null)" != "$TESSERA_WINDOWS_PREFIX" ]; then
  rm -f build/windows/CMakeCache.txt
  echo "$TESSERA_WINDOWS_PREFIX" >build/windows/libraries.txt
fi
cmake --preset windows >/dev/null
cmake --build build/windows -j"${JOBS:-2}" --target tessera tessera-tool
log "tessera.exe and tessera-tool.exe built ($(( $(date +%s) - start )) s)"

# The zip's folder: the programs, the DLLs they load, the font, the demos.
stage=build/windows/zip
zipfile=build/windows/tessera-windows-x64.zip
rm -rf "$stage" "$zipfile"
mkdir -p "$stage/fonts" "$stage/campaigns" "$stage/licenses"
strip=x86_64-w64-mingw32-strip
$strip -o "$stage/tessera.exe" build/windows/tessera.exe
$strip -o "$stage/tessera-tool.exe" build/windows/tessera-tool.exe
for dll in "$dlls"/*.dll; do $strip --strip-unneeded -o "$stage/$(basename "$dll")" "$dll"; done
cp /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$stage/fonts/"
cp -r "$TESSERA_WINDOWS_PREFIX/licenses/." "$stage/licenses/"
mkdir -p "$stage/licenses/tessera" "$stage/licenses/fonts-wqy-zenhei"
cp LICENSE "$stage/licenses/tessera/"
cp /usr/share/doc/fonts-wqy-zenhei/copyright "$stage/licenses/fonts-wqy-zenhei/"
cp "$TESSERA_WINDOWS_PREFIX/versions.txt" "$stage/licenses/versions.txt"
# Windows text files: CRLF line ends.
sed 's/$/\r/' cmake/windows/README.txt >"$stage/README.txt"
# The demo in each language, as the Debian package has them.
for campaign in demo:english demo-zh-cn:chinese-simplified demo-zh-tw:chinese-traditional; do
  (cd "$stage" && bash ../../../tools/wine-run.sh ./tessera-tool.exe make-demo "campaigns/${campaign%%:*}" \
    --language "${campaign#*:}" >/dev/null)
  [ -f "$stage/campaigns/${campaign%%:*}/System.ini" ] || { log "the demo campaign ${campaign%%:*} was not made"; exit 1; }
done

# Self-contained: every DLL a program or DLL of the zip imports is in the zip or
# one of Windows' own.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|imm32|setupapi|version|winmm|msvcrt|shlwapi|cfgmgr32|uuid|bcrypt|avrt|dwmapi|comdlg32|hid|ws2_32|ntdll)\.dll$'
missing=0
while IFS= read -r -d '' file; do
  while read -r dll; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    if [[ $lower =~ $system_dlls ]]; then continue; fi
    if ls "$stage" | tr '[:upper:]' '[:lower:]' | grep -qxF "$lower"; then continue; fi
    echo "${file#"$stage"/} imports $dll: neither in the zip nor part of Windows" >&2
    missing=1
  done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$stage" -maxdepth 1 \( -name '*.exe' -o -name '*.dll' \) -print0)
[ "$missing" = 0 ] || exit 1

(cd "$stage" && zip -q -X -r "../$(basename "$zipfile")" .)
log "$zipfile: $(du -k "$zipfile" | cut -f1) KiB, $(find "$stage" -type f | wc -l) files"

# The tests (run by tools/check-windows.sh).
start=$(date +%s)
cmake --build build/windows -j"${JOBS:-2}"
log "tests built ($(( $(date +%s) - start )) s)"
