# Sourced by the scripts that run the program or its tests under Wine.
#
# The program ships as 32-bit code, and its tests run on that build wherever
# this machine runs 32-bit Windows programs. Some machines cannot (a kernel
# without IA-32 emulation, or no Wine 32-bit loader installed): there the
# same sources are built as 64-bit Windows code (preset windows64) and run
# under wine64 in a 64-bit prefix, and that is said loudly, since the program
# users get then goes untested.

wine_arch_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Whether 32-bit Windows programs run here: the 32-bit loader must run a real
# one, built from wine-arch-probe.c, and print its line. Without wine32 the
# wine command starts wine64 instead, which exits 0 without running the
# program: neither a status nor a file's presence proves anything.
runs_32bit_windows_programs() {
  [ -x /usr/lib/wine/wine ] || return 1
  local work output
  work=$(mktemp -d /tmp/seedsearch-wine-probe.XXXXXX)
  output=$(
    i686-w64-mingw32-gcc-posix -O -s -o "$work/probe.exe" "$wine_arch_dir/wine-arch-probe.c" &&
      WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' \
        timeout 180 /usr/lib/wine/wine "$work/probe.exe" </dev/null 2>/dev/null
  ) || true
  WINEPREFIX=$work/prefix timeout 30 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
  [[ $output == *"a 32-bit Windows program ran"* ]]
}

# The preset whose programs this machine can run under Wine, found once and
# kept in SEEDSEARCH_WINE_PRESET for the scripts this one starts.
wine_preset() {
  if [ -z "${SEEDSEARCH_WINE_PRESET:-}" ]; then
    if runs_32bit_windows_programs; then
      SEEDSEARCH_WINE_PRESET=windows
    else
      {
        echo "=================================================================="
        echo "WARNING: this machine does not run 32-bit Windows programs under"
        echo "Wine (no wine32, or a kernel without IA-32 emulation). The 64-bit"
        echo "build (preset windows64) is used instead: the 32-bit program that"
        echo "users get is built but NOT tested or run here."
        echo "=================================================================="
      } >&2
      SEEDSEARCH_WINE_PRESET=windows64
    fi
    export SEEDSEARCH_WINE_PRESET
  fi
  echo "$SEEDSEARCH_WINE_PRESET"
}

# For a 64-bit build, and where Wine's 32-bit loader does not start at all
# (so that a session without a build works there too): `wine`, `wineboot`
# and `wineserver` start the 64-bit ones from here on, for nested calls too
# (plain `wine` would start the 32-bit loader whenever wine32 is installed).
# DIR holds the commands.
use_wine64_for() {
  local build=$1 dir=$2 tool target
  if ! grep -q '^CMAKE_AR:FILEPATH=.*x86_64-w64-mingw32' "$build/CMakeCache.txt" 2>/dev/null &&
    /usr/lib/wine/wine --version >/dev/null 2>&1; then
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
