# Sourced by the scripts that run the program or its tests under Wine.
#
# Some machines run no 32-bit code at all (a kernel without IA-32 emulation:
# every i386 program fails with "Exec format error"). There the program and its
# tests are built as 64-bit Windows code (preset windows64) and run under
# wine64 in a 64-bit prefix; elsewhere the 32-bit program runs as it ships.

# The preset whose programs this machine can run under Wine.
wine_preset() {
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then echo windows; else echo windows64; fi
}

# For a 64-bit build, and on a machine that runs no 32-bit code whatever the
# build: `wine`, `wineboot` and `wineserver` start the 64-bit ones from here
# on, for nested calls too (plain `wine` would start the 32-bit loader
# whenever wine32 is installed). DIR holds the commands.
use_wine64_for() {
  local build=$1 dir=$2 tool target
  if ! grep -q '^CMAKE_AR:FILEPATH=.*x86_64-w64-mingw32' "$build/CMakeCache.txt" 2>/dev/null &&
    [ "$(wine_preset)" = windows ]; then
    return 0
  fi
  mkdir -p "$dir"
  for tool in wine wineboot wineserver; do
    case $tool in
      wine) target='/usr/lib/wine/wine64 "$@"' ;;
      wineboot) target='/usr/lib/wine/wine64 wineboot.exe "$@"' ;;
      wineserver) target='/usr/lib/wine/wineserver64 "$@"' ;;
    esac
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64\nexec %s\n' \
      "$target" >"$dir/$tool"
    chmod +x "$dir/$tool"
  done
  export PATH=$dir:$PATH WINEARCH=win64
}
