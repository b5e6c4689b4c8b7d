#!/usr/bin/env bash
# Builds the Debian package and the relocatable tarball and checks them the way
# a packager and a player would: the desktop entry, the AppStream data and the
# package through their validators (lintian: no errors), the tarball's layout,
# then the package installed, the installed demo played headless by an ordinary
# user from an unrelated folder with nothing written into the install, and the
# package removed again. Needs root or sudo (it installs the package).
#   bash tools/check-package.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
start=$(date +%s)
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
fail() { echo "check-package: $*" >&2; exit 1; }

# The validators and the tools CPack's Debian generator runs.
need=()
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream lintian:lintian \
            dpkg-shlibdeps:dpkg-dev file:file gzip:gzip setpriv:util-linux update-mime-database:shared-mime-info \
            xdg-mime:xdg-utils mimetype:libfile-mimeinfo-perl; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
[ ${#need[@]} -eq 0 ] || $SUDO apt-get install -y --no-install-recommends "${need[@]}"

if [ "$build" = build/default ]; then cmake --preset default >/dev/null; fi
# Only what the install rules take.
cmake --build "$build" -j2 --target tessera tessera-tool tessera_data
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/tessera_*.deb "$build"/tessera-*.tar.gz
(cd "$build" && cpack -G DEB >/dev/null && cpack -G TGZ >/dev/null)
deb=$(ls "$build"/tessera_*.deb)
tgz=$(ls "$build"/tessera-*.tar.gz)

work=$(mktemp -d)
chmod 755 "$work"
installed=
cleanup() {
  if [ -n "$installed" ]; then $SUDO apt-get remove -y tessera >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# What the package ships, through the validators.
dpkg-deb -x "$deb" "$work/deb"
id=$(basename "$work"/deb/usr/share/applications/*.desktop .desktop)
desktop-file-validate "$work/deb/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$work/deb/usr/share/metainfo/$id.metainfo.xml"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$work/deb/usr/share/metainfo/$id.metainfo.xml" ||
  fail "the AppStream data does not launch $id.desktop"
for side in 48 128 256; do
  file "$work/deb/usr/share/icons/hicolor/${side}x$side/apps/$id.png" | grep -q "PNG image data, $side x $side" ||
    fail "no $side x $side icon"
done
file "$work/deb/usr/share/icons/hicolor/scalable/apps/$id.svg" | grep -q SVG || fail "no scalable icon"
grep -q '^MimeType=application/x-tessera-campaign;' "$work/deb/usr/share/applications/$id.desktop" &&
  grep -q '^Exec=tessera %f' "$work/deb/usr/share/applications/$id.desktop" ||
  fail "the desktop entry does not open campaign packages"
grep -q '<mediatype>application/x-tessera-campaign</mediatype>' "$work/deb/usr/share/metainfo/$id.metainfo.xml" ||
  fail "the AppStream data does not provide the package type"
file "$work/deb/usr/share/icons/hicolor/scalable/mimetypes/application-x-tessera-campaign.svg" | grep -q SVG ||
  fail "no icon for campaign packages"
# The package type through the MIME database's own compiler, warnings fatal.
mkdir -p "$work/mime/mime/packages"
cp "$work/deb/usr/share/mime/packages/$id.xml" "$work/mime/mime/packages/"
mime_log=$(update-mime-database -V "$work/mime/mime" 2>&1) || fail "update-mime-database fails: $mime_log"
! grep -qiE 'warn|error|invalid|unknown' <<<"$mime_log" || fail "update-mime-database: $mime_log"
lintian --fail-on error "$deb" ||
  fail "lintian reports errors on $deb"
echo "validators: desktop entry, AppStream data, icons, MIME type and lintian clean"

# The tarball runs from wherever it is unpacked.
mkdir "$work/tgz"
tar -xzf "$tgz" -C "$work/tgz"
top=$(ls -d "$work"/tgz/*)
for f in bin/tessera bin/tessera-tool share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/man/man6/tessera.6 share/man/man6/tessera-tool.6 share/doc/tessera/LICENSE \
         share/doc/tessera/copyright share/tessera/campaigns/demo/System.ini \
         share/tessera/campaigns/demo-zh-cn/System.ini share/tessera/campaigns/demo-zh-tw/System.ini; do
  [ -e "$top/$f" ] || fail "the tarball has no $f"
done
"$top/bin/tessera" --version | grep -q "^tessera $version" || fail "the tarball's tessera --version"
if "$top/bin/tessera" --list-games >/dev/null 2>&1; then
  env -i PATH=/usr/bin:/bin HOME="$work" XDG_DATA_HOME="$work/none" XDG_DATA_DIRS="$work/none" \
    "$top/bin/tessera" --list-games | grep -q "$top/bin/../share/tessera/campaigns/demo\|$top/share/tessera/campaigns/demo" ||
    fail "the unpacked tarball's game does not find its own demo"
fi
echo "tarball: layout complete, $("$top/bin/tessera" --version)"

# Installed: the game plays the installed demo for an ordinary user (root could
# write into the install, a player cannot), with nothing of the caller's own
# settings reaching it.
$SUDO apt-get install -y --no-install-recommends "$(realpath "$deb")" >/dev/null
installed=1
player=()
if [ "$(id -u)" = 0 ]; then player=(setpriv --reuid=nobody --regid=nogroup --clear-groups --); fi
mkdir -p "$work/player/somewhere" "$work/player/home"
[ "$(id -u)" != 0 ] || chown -R nobody:nogroup "$work/player"
play() {
  (cd "$work/player/somewhere" &&
    "${player[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/games HOME="$work/player/home" \
      XDG_DATA_HOME="$work/player/data" XDG_CONFIG_HOME="$work/player/config" \
      XDG_STATE_HOME="$work/player/state" XDG_CACHE_HOME="$work/player/cache" "$@")
}
play tessera --version | grep -q "^tessera $version" || fail "tessera --version does not say $version"
play tessera-tool --version | grep -q "^tessera-tool $version" || fail "tessera-tool --version does not say $version"
echo "installed: $(play tessera --version)"

snapshot() { find /usr/share/tessera -printf '%p %s %m %T@\n' | sort; }
snapshot > "$work/before"
# A game that finds its campaigns on its own lists them; an older one needs
# the folder named.
where=()
finds=
if play tessera --list-games > "$work/games" 2>&1; then
  finds=1
  grep -q /usr/share/tessera/campaigns/demo "$work/games" || fail "the installed demo is not listed"
else
  where=(--workdir /usr/share/tessera/campaigns/demo)
  echo "this tessera cannot find campaigns by itself: playing with ${where[*]}"
fi
play tessera --headless --autoplay "${where[@]}" --trace "$work/player/trace.txt" --max-ms 7200000
grep -q ' state 2 10 GameEnd' "$work/player/trace.txt" || fail "the autoplay did not reach GameEnd"
snapshot > "$work/after"
diff "$work/before" "$work/after" || fail "the game wrote into /usr/share/tessera"
if [ -n "$finds" ]; then
  [ -z "$(ls -A "$work/player/somewhere")" ] || fail "the game wrote into the folder it was started from"
  find "$work/player/state/tessera" -name log.txt | grep -q . || fail "no log in \$XDG_STATE_HOME/tessera"
fi
echo "installed demo played to GameEnd from $work/player/somewhere; nothing written into the install"

# A campaign package: the desktop knows its type once the package is
# installed, and what the desktop entry runs for a double-click on one
# installs it into the player's campaigns folder and plays it.
play tessera-tool pack /usr/share/tessera/campaigns/demo "$work/player/Demo.tessera" --title Demo >/dev/null
type=$(play xdg-mime query filetype "$work/player/Demo.tessera")
[ "$type" = application/x-tessera-campaign ] || fail "xdg-mime says $work/player/Demo.tessera is $type"
cp "$work/player/Demo.tessera" "$work/player/no-extension"
play mimetype --magic-only --brief "$work/player/no-extension" | grep -qx application/x-tessera-campaign ||
  fail "the package type is not recognised by its content"
exec_line=$(sed -n 's/^Exec=//p' "/usr/share/applications/$id.desktop")
# shellcheck disable=SC2086  # the desktop entry's words, as a launcher splits them
play ${exec_line/\%f/$work/player/Demo.tessera} --headless --autoplay --trace "$work/player/package-trace.txt" \
  --max-ms 7200000 || fail "the double-click's command did not install and play the package"
grep -q ' state 2 10 GameEnd' "$work/player/package-trace.txt" || fail "the installed package did not reach GameEnd"
[ -f "$work/player/data/tessera/campaigns/Demo/System.ini" ] || fail "the package is not in the player's campaigns"
echo "campaign package: typed $type, installed and played to GameEnd by the desktop entry's command"

$SUDO apt-get remove -y tessera >/dev/null
installed=
[ ! -e /usr/share/tessera ] || fail "files left in /usr/share/tessera after removal"
echo "package removed; check-package passed in $(( $(date +%s) - start )) s"
