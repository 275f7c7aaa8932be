#!/usr/bin/env bash
# Checks the desktop integration files: that they are all there, that every PNG icon is a PNG of
# the size its folder names (with transparency), and that the desktop entry, the AppStream
# metainfo, the icon names, the program names, the udev rule and the project version agree.
#
#   installed_files.sh SOURCE_DIR VERSION
#   installed_files.sh SOURCE_DIR VERSION CMAKE BUILD_DIR DATADIR
#
# The second form also installs the "desktop" component of BUILD_DIR into a temporary prefix
# with CMAKE and checks that each file lands where desktops look for it (DATADIR is the
# build's CMAKE_INSTALL_DATADIR) with the content of the file in the source tree.
set -uo pipefail

if [ $# -ne 2 ] && [ $# -ne 5 ]; then
  echo "usage: $0 SOURCE_DIR VERSION [CMAKE BUILD_DIR DATADIR]" >&2
  exit 2
fi
source_dir=$1
version=$2

app_id=org.velnor7.Velnor7
programs=(velnor7 velnor7ctl)
desktop_program=velnor7
sizes=(16 24 32 48 64 128 256)
packaging="$source_dir/packaging"
icons="$packaging/icons/hicolor"
desktop_file="$packaging/$app_id.desktop"
metainfo_file="$packaging/$app_id.metainfo.xml"
udev_rule="$packaging/70-velnor7.rules"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The value of KEY in the [Desktop Entry] group.
desktop_value() {
  sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$1"'=//p}' "$desktop_file" | head -n 1
}

# Width and height of a PNG from its IHDR chunk, as "W H COLOUR_TYPE"; nothing when the
# file does not start like a PNG.
png_header() {
  local bytes
  read -r -a bytes < <(od -An -v -tu1 -N26 "$1" | tr -s ' \n' '  ')
  [ ${#bytes[@]} -eq 26 ] || return 0
  # Signature 89 50 4E 47 0D 0A 1A 0A, then the IHDR chunk: length 13, "IHDR".
  [ "${bytes[*]:0:16}" = "137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82" ] || return 0
  echo "$(( (bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19] ))" \
       "$(( (bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23] ))" \
       "${bytes[25]}"
}

# --- The files are there.
for file in "$desktop_file" "$metainfo_file" "$udev_rule" "$icons/scalable/apps/$app_id.svg"; do
  [ -s "$file" ] || fail "missing or empty: $file"
done
for size in "${sizes[@]}"; do
  [ -f "$icons/${size}x${size}/apps/$app_id.png" ] || fail "missing: $icons/${size}x${size}/apps/$app_id.png"
done

# --- Every PNG in the theme folder has the size its folder names, and can be transparent.
png_count=0
while IFS= read -r -d '' png; do
  png_count=$((png_count + 1))
  folder=$(basename "$(dirname "$(dirname "$png")")")
  if ! [[ $folder =~ ^([0-9]+)x([0-9]+)$ ]] || [ "${BASH_REMATCH[1]}" != "${BASH_REMATCH[2]}" ]; then
    fail "$png: not in a square NNxNN size folder"
    continue
  fi
  expected=${BASH_REMATCH[1]}
  header=$(png_header "$png")
  if [ -z "$header" ]; then
    fail "$png: not a PNG file"
    continue
  fi
  read -r width height colour_type <<<"$header"
  if [ "$width" != "$expected" ] || [ "$height" != "$expected" ]; then
    fail "$png: ${width}x${height}, but its folder says ${expected}x${expected}"
  fi
  # 6 is RGBA, 4 grey with alpha: the icon's rounded corners must stay see-through.
  [ "$colour_type" = 6 ] || [ "$colour_type" = 4 ] ||
    fail "$png: PNG colour type $colour_type has no alpha channel"
done < <(find "$icons" -name '*.png' -print0 2>/dev/null)
[ "$png_count" -eq ${#sizes[@]} ] || fail "$png_count PNG icons under $icons, expected ${#sizes[@]}"

# --- The launcher shows the picture the window and the tray show.
cmp -s "$icons/scalable/apps/$app_id.svg" "$source_dir/skin/common/app_icon.svg" ||
  fail "$icons/scalable/apps/$app_id.svg differs from skin/common/app_icon.svg (regenerate the icons from it)"

# --- The desktop entry names the right program, icon and window class.
if [ -f "$desktop_file" ]; then
  exec_line=$(desktop_value Exec)
  [ "${exec_line%% *}" = "$desktop_program" ] || fail "desktop entry: Exec=$exec_line does not start $desktop_program"
  [ "$(desktop_value Icon)" = "$app_id" ] || fail "desktop entry: Icon=$(desktop_value Icon), expected $app_id"
  # Qt sets the window's WM_CLASS instance to the name of the executable.
  [ "$(desktop_value StartupWMClass)" = "$desktop_program" ] ||
    fail "desktop entry: StartupWMClass=$(desktop_value StartupWMClass), expected $desktop_program"
  [ "$(desktop_value Terminal)" = false ] || fail "desktop entry: Terminal is not false"
fi

# --- The metainfo and the desktop entry describe the same application.
if [ -f "$metainfo_file" ]; then
  grep -q "<id>$app_id</id>" "$metainfo_file" || fail "metainfo: component id is not $app_id"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo_file" ||
    fail "metainfo: launchable is not $app_id.desktop"
  for program in "${programs[@]}"; do
    grep -q "<binary>$program</binary>" "$metainfo_file" || fail "metainfo: does not provide the binary $program"
    grep -Eq "add_executable\\(${program}[ )]" "$source_dir/src/CMakeLists.txt" ||
      fail "src/CMakeLists.txt builds no program named $program"
  done
  # A new project version needs its release entry.
  grep -q "<release version=\"$version\"" "$metainfo_file" || fail "metainfo: no release entry for version $version"
  # The hardware the metainfo announces is the hardware the udev rule opens.
  vendor=$(sed -n 's/.*ATTRS{idVendor}=="\([0-9a-fA-F]\{4\}\)".*/\1/p' "$udev_rule" | head -n 1)
  if [ -z "$vendor" ]; then
    fail "udev rule: no idVendor match"
  else
    grep -q "<modalias>usb:v${vendor^^}p\*</modalias>" "$metainfo_file" ||
      fail "metainfo: no modalias for USB vendor ${vendor^^} of the udev rule"
  fi
fi

# --- What "cmake --install" puts where.
if [ $# -eq 5 ]; then
  cmake=$3
  build_dir=$4
  datadir=$5
  prefix=$(mktemp -d)
  trap 'rm -rf "$prefix"' EXIT
  if ! "$cmake" --install "$build_dir" --component desktop --prefix "$prefix" >/dev/null; then
    fail "cmake --install of the desktop component failed"
  else
    installed=(
      "applications/$app_id.desktop=$desktop_file"
      "metainfo/$app_id.metainfo.xml=$metainfo_file"
      "icons/hicolor/scalable/apps/$app_id.svg=$icons/scalable/apps/$app_id.svg"
    )
    for size in "${sizes[@]}"; do
      installed+=("icons/hicolor/${size}x${size}/apps/$app_id.png=$icons/${size}x${size}/apps/$app_id.png")
    done
    for pair in "${installed[@]}"; do
      cmp -s "$prefix/$datadir/${pair%%=*}" "${pair#*=}" || fail "installed $datadir/${pair%%=*} missing or not ${pair#*=}"
    done
    # Nothing else in the component, nothing left over from an old icon name.
    count=$(find "$prefix" -type f | wc -l)
    [ "$count" -eq ${#installed[@]} ] || fail "the desktop component installs $count files, expected ${#installed[@]}"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures packaging check(s) failed" >&2
  exit 1
fi
echo "packaging files OK"
