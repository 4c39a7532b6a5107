# Sourced by the other scripts (". scripts/setup.sh"): installs what building
# and running quendle needs on Debian 12, creates the Wine prefix and, when
# DISPLAY is unset, starts a virtual display; DISPLAY and the Wine settings
# stay set in the sourcing shell. Safe to source again: each step is skipped
# when its result is already there. Returns non-zero when a step fails.
quendle_setup() {
  local here missing p sudo
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  . "$here/env.sh"

  missing=""
  for p in cmake g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 \
           xvfb x11-utils imagemagick googletest cppcheck; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
      missing="$missing $p"
  done
  if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "setup: installing$missing"
    $sudo apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null || return 1
  fi

  if [ -z "${DISPLAY:-}" ]; then
    # One virtual display per user, reused by later runs.
    export DISPLAY=:${QUENDLE_XVFB_DISPLAY:-77}
    if ! xdpyinfo >/dev/null 2>&1; then
      (Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
      for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
      xdpyinfo >/dev/null 2>&1 || { echo "setup: no display $DISPLAY"; return 1; }
    fi
  fi

  if [ ! -f "$WINEPREFIX/.quendle-ready" ]; then
    echo "setup: creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX" || return 1
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || return 1
    # Without a window manager Wine takes seconds to destroy a window unless
    # it manages the windows itself; it then also draws the caption bar.
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
      return 1
    /usr/lib/wine/wineserver -w
    touch "$WINEPREFIX/.quendle-ready"
  fi
}
quendle_setup
