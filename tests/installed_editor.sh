#!/usr/bin/env bash
# Installs the build into a temporary prefix and proves the install: every file in its place, the desktop
# entry and the AppStream metainfo accepted by their validators, icons of their sizes, no path into the
# build or source tree, sample levels a second install leaves alone, and the editor's window coming up
# from the launcher after the prefix has moved, started through a symbolic link from elsewhere.
#   installed_editor.sh CMAKE BUILD_DIR SOURCE_DIR SMOKE_EDITOR APP_ID HAS_TOOL SCREENSHOT.png
set -uo pipefail
if [ $# -ne 7 ]; then
  echo "usage: installed_editor.sh CMAKE BUILD_DIR SOURCE_DIR SMOKE_EDITOR APP_ID HAS_TOOL SCREENSHOT.png" >&2
  exit 2
fi
cmake=$1 build=$2 source=$3 smoke=$4 id=$5 has_tool=$6 screenshot=$7

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
# A space in the prefix catches a launcher or an install step that splits paths.
prefix="$tmp/the prefix"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

install_into() {
  "$cmake" --install "$build" --prefix "$1" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log"
    echo "FAIL: cmake --install into $1"
    exit 1
  }
}
install_into "$prefix"

expected=(bin/zolvane-editor lib/zolvane/zolvane-editor lib/zolvane/zolvane.exe
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/256x256/apps/$id.png)
for picture in brick00{1..9} brick_fixed pu_{blue,vio,yellow,grey,green,braun} \
  tool_{erase,draw,new,save,run} zolvane; do
  expected+=(lib/zolvane/editor/images/$picture.bmp)
done
for level in "$source"/assets/levels/level*.txt; do
  expected+=(lib/zolvane/data/levels/$(basename "$level"))
done
[ "$has_tool" = 1 ] && expected+=(bin/zolvane-level lib/zolvane/zolvane-level)
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for program in bin/zolvane-editor lib/zolvane/zolvane-editor lib/zolvane/zolvane.exe; do
  [ -x "$prefix/$program" ] || fail "not executable: $program"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
# validate-tree also checks that the metainfo's launchable names an installed desktop entry
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 48 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || continue
  read -r -a header < <(od -An -v -tu1 -w24 -N24 "$icon")
  [ "${header[*]:0:8}" = "137 80 78 71 13 10 26 10" ] || fail "$icon is not a PNG: ${header[*]}"
  width=$(((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19]))
  height=$(((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23]))
  [ "$width x $height" = "$size x $size" ] || fail "$icon is $width x $height, expected $size x $size"
done

# Text files must not name the trees the install came from; programs must not look there for libraries.
# (The programs' debug information names the sources, as it should.)
leaks=$(grep -rIlF -e "$build" -e "$source" "$prefix")
[ -z "$leaks" ] || fail "installed files naming the build or source tree: $leaks"
for program in "$prefix"/lib/zolvane/*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  runpath=$(readelf -d "$program" | grep -E 'RPATH|RUNPATH')
  case $runpath in
    *"$build"* | *"$source"*) fail "$program has the run path $runpath" ;;
  esac
done

# Installing again keeps an edited sample level and restores a deleted one.
cp "$prefix/lib/zolvane/data/levels/level3.txt" "$prefix/lib/zolvane/data/levels/level1.txt"
rm "$prefix/lib/zolvane/data/levels/level2.txt"
install_into "$prefix"
cmp -s "$prefix/lib/zolvane/data/levels/level1.txt" "$prefix/lib/zolvane/data/levels/level3.txt" ||
  fail "a second install overwrote the edited level1.txt"
cmp -s "$prefix/lib/zolvane/data/levels/level2.txt" "$source/assets/levels/level2.txt" ||
  fail "a second install did not restore level2.txt"

moved="$tmp/moved prefix"
mv "$prefix" "$moved"
mkdir "$tmp/links" "$tmp/elsewhere"
ln -s "$moved/bin/zolvane-editor" "$tmp/links/zolvane-editor"
# The editor keeps its recovery journals under the user's data folder: a folder of the test's own.
XDG_DATA_HOME="$tmp/data" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$smoke" "$moved/lib/zolvane" "$tmp/links/zolvane-editor" "$screenshot" "$tmp/elsewhere" ||
  fail "the editor's window did not come up from the installed launcher"

if [ "$has_tool" = 1 ] && [ -x "$moved/bin/zolvane-level" ]; then
  # the tool runs in the caller's directory: a relative file name is found there
  ln -s "$moved/bin/zolvane-level" "$tmp/links/zolvane-level"
  cp "$source/assets/levels/level2.txt" "$tmp/elsewhere/"
  (cd "$tmp/elsewhere" && "$tmp/links/zolvane-level" check level2.txt) ||
    fail "the installed zolvane-level check level2.txt run in the caller's directory"
fi

[ $failures -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "installed, validated and started from $moved"
