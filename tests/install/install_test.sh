#!/usr/bin/env bash
# An install into a temporary prefix and the Debian package unpacked into a scratch root: every file a desktop
# expects, the desktop entry and metadata validated, and the installed programs started from another folder.
#   install_test.sh BUILD_DIR
set -uo pipefail
build=$1
for tool in desktop-file-validate appstreamcli cpack dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (bash scripts/setup.sh installs it)"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every file listed, under a root; the icons at their sizes (a PNG's width is bytes 16-19, big-endian).
check_tree() {
  local root=$1 where=$2
  for f in bin/tonforge bin/tonforge-render share/applications/tonforge.desktop \
           share/metainfo/io.github.tonforge.Tonforge.metainfo.xml share/mime/packages/tonforge.xml \
           share/man/man1/tonforge.1 share/man/man1/tonforge-render.1 \
           share/tonforge/Captions.txt share/tonforge/Help/Help.html share/tonforge/Songs/Demo.tes \
           share/tonforge/Skins/Skin.bmp share/tonforge/Skins/Deck.bmp share/tonforge/Skins/Splash.bmp \
           "share/tonforge/Programs/Instruments/Warm Pad.tep"; do
    [ -s "$root/$f" ] || fail "$where: $f is missing"
  done
  for d in Songs Programs/Instruments Programs/Tracks Waves Modulators Tracks; do
    [ -d "$root/share/tonforge/$d" ] || fail "$where: share/tonforge/$d is missing"
  done
  for size in 48 128 256; do
    local icon="$root/share/icons/hicolor/${size}x${size}/apps/tonforge.png"
    local width
    width=$(od -An -tu1 -j16 -N4 "$icon" 2>/dev/null | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    [ "$width" = "$size" ] || fail "$where: the ${size}px icon is ${width:-missing} pixels wide"
  done
  [ -x "$root/bin/tonforge" ] && [ -x "$root/bin/tonforge-render" ] || fail "$where: programs not executable"
}

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
check_tree "$prefix" "install"
desktop-file-validate "$prefix/share/applications/tonforge.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.tonforge.Tonforge.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/"*.xml 2>&1)"
if command -v update-mime-database >/dev/null; then
  cp -r "$prefix/share/mime" "$scratch/mime"
  XDG_DATA_HOME=$scratch update-mime-database "$scratch/mime" 2>&1 | grep . && fail "update-mime-database complained"
  grep -q 'application/x-tonforge-song:\*\.tes' "$scratch/mime/globs2" || fail "no .tes glob in the mime database"
  grep -q 'application/x-tonforge-program:\*\.tep' "$scratch/mime/globs2" || fail "no .tep glob in the mime database"
fi
for page in tonforge tonforge-render; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# The installed programs from another folder: the renderer with a relative song, the synthesizer finding its
# installed folder (it gets as far as the display), and with no program folder anywhere the one line.
mkdir -p "$scratch/elsewhere" && cp "$prefix/share/tonforge/Songs/Demo.tes" "$scratch/elsewhere/My Song.tes"
(cd "$scratch/elsewhere" && "$prefix/bin/tonforge-render" "My Song.tes" out.wav >/dev/null) ||
  fail "the installed renderer from another folder"
[ -s "$scratch/elsewhere/out.wav" ] || fail "no render written"
# The workspace is made ready before the display is opened: the first start fills it, a second keeps the
# user's change.
start_installed() { (cd / && env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME="$scratch/xdg" "$prefix/bin/tonforge" 2>&1); }
out=$(start_installed)
status=$?
[ $status -eq 1 ] && [[ $out != *"no program folder"* ]] && [[ $out == *"Could Not Open Display"* ]] ||
  fail "the installed synthesizer started from / (status $status): $out"
cmp -s "$scratch/xdg/tonforge/Songs/Demo.tes" "$prefix/share/tonforge/Songs/Demo.tes" ||
  fail "the first start did not copy the demo song into the workspace"
[ -s "$scratch/xdg/tonforge/Programs/Instruments/Warm Pad.tep" ] && [ -d "$scratch/xdg/tonforge/Tracks" ] ||
  fail "the first start did not fill the workspace"
# On a virtual display, the installed copy started from / draws its installed skins.
"$(dirname "$0")/../e2e/start_anywhere_test.sh" "$prefix/bin/tonforge" /
status=$?
[ $status -eq 0 ] || [ $status -eq 77 ] || fail "the installed synthesizer on a display"
echo "mine" >"$scratch/xdg/tonforge/Songs/Demo.tes"
start_installed >/dev/null
[ "$(cat "$scratch/xdg/tonforge/Songs/Demo.tes")" = "mine" ] || fail "a second start overwrote the user's song"
mkdir -p "$scratch/lone/bin" && cp "$prefix/bin/tonforge" "$scratch/lone/bin/"
out=$(cd "$scratch/lone" && env -u DISPLAY -u WAYLAND_DISPLAY ./bin/tonforge --data "$scratch/nowhere" 2>&1)
status=$?
[ $status -eq 1 ] && [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] && [[ $out == *"no program folder"*"$scratch/nowhere"* ]] ||
  fail "no program folder (status $status): $out"

# The package: its name, dependencies found from the linked libraries, the same files unpacked.
(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || fail "cpack -G DEB"
deb=$(ls "$scratch/package"/tonforge_*_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
  fail "no tonforge_VERSION_ARCH.deb"
else
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1 librtmidi libsndfile1 libsamplerate0 libc6; do
    [[ $depends == *"$library"* ]] || fail "the package does not depend on $library: $depends"
  done
  dpkg -x "$deb" "$scratch/root" || fail "dpkg -x"
  check_tree "$scratch/root/usr" "package"
fi

[ $failures -eq 0 ] && echo "install and package: every file present and valid"
exit $((failures > 0))
