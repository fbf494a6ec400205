#!/usr/bin/env bash
# install BUILD_DIR: `cmake --install` into a temporary prefix, and what a user finds there.
# package BUILD_DIR: `cpack -G DEB` into a temporary folder, and the package's metadata.
set -euo pipefail
mode=$1
build=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# The window's program must answer --version with no display to open a window on.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

version=$("$build/velorin-cli" --version)
version=${version#velorin-cli }
[[ $version =~ ^[0-9]+(\.[0-9]+)+$ ]] || fail "velorin-cli --version gives no version: '$version'"
files=(bin/velorin bin/velorin-cli share/applications/velorin.desktop
  share/icons/hicolor/scalable/apps/velorin.svg share/man/man1/velorin-cli.1)

case $mode in
install)
  cmake --install "$build" --prefix "$tmp" >/dev/null
  for f in "${files[@]}"; do [ -s "$tmp/$f" ] || fail "not installed: $f"; done
  entry=$tmp/share/applications/velorin.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
  # The entry must start a program that was installed beside it, show an icon that was installed,
  # and carry the programs' own version.
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -n "$exec" ] && [ -x "$tmp/bin/$exec" ] || fail "Exec names no installed program: '$exec'"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ "$(file -b --mime-type "$tmp/share/icons/hicolor/scalable/apps/$icon.svg")" = image/svg+xml ] ||
    fail "Icon '$icon' is no installed SVG"
  grep -qx "X-Velorin-Version=$version" "$entry" || fail "the desktop entry lacks version $version"
  [ "$("$tmp/bin/velorin-cli" --version)" = "velorin-cli $version" ] ||
    fail "installed velorin-cli --version"
  [ "$(headless "$tmp/bin/velorin" --version)" = "velorin $version" ] ||
    fail "installed velorin --version"
  ;;
package)
  (cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >/dev/null)
  debs=("$tmp"/out/velorin_*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { fail "no one velorin_*.deb: ${debs[*]}"; exit 1; }
  deb=${debs[0]}
  dpkg-deb --info "$deb"
  [ "$(dpkg-deb -f "$deb" Package)" = velorin ] || fail "package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
  for f in "${files[@]}"; do grep -qx "./usr/$f" <<<"$contents" || fail "not in the package: /usr/$f"; done
  # Every library the two programs link must come from a package the package depends on: the
  # library as this machine resolves it, and the package dpkg says owns it.
  depends=" $(dpkg-deb -f "$deb" Depends | sed 's/([^)]*)//g; s/|/,/g; s/,/ /g') "
  for program in velorin velorin-cli; do
    for lib in $(readelf -d "$build/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
      path=$(ldd "$build/$program" | awk -v lib="$lib" '$1 == lib && $3 ~ /^\// { print $3 }')
      [ -n "$path" ] || { fail "$program: $lib not found"; continue; }
      # dpkg knows a file under the name its package gave it, /lib or /usr/lib alike.
      real=$(realpath "$path")
      owner=$(dpkg -S "*${real#/usr}" | head -n 1 | cut -d: -f1)
      [[ $depends == *" $owner "* ]] || fail "$program links $lib ($owner), not a dependency"
    done
  done
  # Qt loads its display plugin at run time, so no linker names it; without it no window opens.
  owner=$(dpkg -S '*/platforms/libqxcb.so' | head -n 1 | cut -d: -f1)
  [[ $depends == *" $owner "* ]] || fail "$owner (Qt's X11 plugin) is not a dependency"
  ;;
*)
  echo "usage: $0 install|package BUILD_DIR" >&2
  exit 64
  ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "$mode: all checks passed"
