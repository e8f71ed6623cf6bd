# Sourced: wine_env_start <build dir> sets up a private Wine prefix, a persistent
# wineserver and an Xvfb display; wine_env_stop ends what it started.
wine_env_start() {
  local build=$1
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  export WINEARCH=win64
  # No Mono or Gecko download prompts on a new prefix.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  mkdir -p "$WINEPREFIX"

  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done

  # A server left running for this private prefix (an interrupted session) still holds
  # the old display: end it and start our own.
  if ! wineserver -p </dev/null >/dev/null 2>&1; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1
  fi
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  local fonts
  fonts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-fonts.reg"
  wine regedit /S "Z:${fonts//\//\\}" </dev/null >/dev/null 2>&1 || true
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=
  fi
}
