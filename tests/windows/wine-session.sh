# Sourced by the Wine test scripts: a fresh Wine prefix in a private X server, kept alive for the whole run.
#   wine_session_start DIR   creates DIR/prefix, starts Xvfb and a persistent wineserver
#   wine_session_stop        ends both (only what wine_session_start started)
#   to_windows PATH          the Windows name of a Unix path (Z:\...)

wine_session_start() {
  local dir=$1
  export WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset WINEARCH
  rm -rf "$WINEPREFIX"
  mkdir -p "$dir"

  # Japanese resources load only under a Japanese locale whose LC_CTYPE agrees.
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi

  local display=90
  while [ -e /tmp/.X$display-lock ] || [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
  Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  WINE_SESSION_XVFB=$!
  export DISPLAY=:$display
  local waited=0
  until [ -e /tmp/.X11-unix/X$display ] || [ $waited -ge 100 ]; do sleep 0.1; waited=$((waited + 1)); done

  wine wineboot -i >"$dir/wineboot.log" 2>&1 || true
  wineserver -w
  # Window frames drawn by Wine itself (there is no window manager), and the Japanese dialog font mapped to the
  # proportional IPA font, as Windows draws it proportionally.
  python3 - "$dir/settings.reg" <<'PY'
import sys
text = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af"="IPAPGothic"
"\uff2d\uff33 \u30b4\u30b7\u30c3\u30af"="IPAGothic"
"""
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
PY
  wine regedit /S "$(to_windows "$dir/settings.reg")" >/dev/null 2>&1
  wineserver -w
  wineserver -p
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_SESSION_XVFB:-}" ]; then
    kill "$WINE_SESSION_XVFB" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB" 2>/dev/null || true
    WINE_SESSION_XVFB=
  fi
}

to_windows() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}
