# Sourced by the other scripts: where the Wine prefix and the virtual display live.
# Each variable may be set beforehand to use another prefix or display.
: "${WINEPREFIX:=$HOME/.local/share/quendle/wine64}"
: "${WINELOADER:=/usr/lib/wine/wine64}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINELOADER WINEDLLOVERRIDES WINEDEBUG
