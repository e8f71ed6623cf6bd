#!/usr/bin/env bash
# Checks that Debian's real Chromium and Firefox accept what Pinvane writes with
# the Folder key: makes fresh profiles with the browsers themselves, runs
# Pinvane on them under Wine (twice: the second run adds to the folder the first
# one made), and after each run reads the bookmark tree back from each running
# browser and looks at what the browser left on disk after a clean exit.
# Not part of CI: it installs both browsers and takes a few minutes.
# Prints "chromium: ..." and "firefox: ..." and exits 1 when either failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
export PINVANE_CACHE_DIR=${PINVANE_CACHE_DIR:-$root/build/cache}
here="$root/scripts/real-browsers"
# Wine prefix and npm modules are kept here between runs; run/ is made anew.
work="$BUILD_DIR/real-browsers"
run="$work/run"

say() { printf '== %s\n' "$*"; }
die() { printf 'check-real-browsers: %s\n' "$*" >&2; exit 2; }

# --- What is needed --------------------------------------------------------
bash "$root/scripts/install-deps.sh" || die "install-deps.sh failed"
missing=()
for p in chromium firefox-esr; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q </dev/null >/dev/null || die "apt-get update failed"
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null >/dev/null ||
    die "apt-get install ${missing[*]} failed"
fi
mkdir -p "$work/npm"
if [ ! -f "$work/npm/node_modules/ws/package.json" ]; then
  say "installing ws from npm"
  npm install --prefix "$work/npm" --no-audit --no-fund --silent ws@8 </dev/null || die "npm install ws failed"
fi
export NODE_PATH="$work/npm/node_modules"

say "building Pinvane"
bash "$root/scripts/build.sh" --target Pinvane winsqlite3_dll >/dev/null || die "build failed"

rm -rf "$run"
mkdir -p "$run/home" "$run/pinvane"
# The browsers keep caches and settings under HOME: keep them in the run folder.
export HOME="$run/home"
say "chromium $(chromium --version 2>/dev/null | awk '{print $2}'), firefox-esr $(firefox-esr --version 2>/dev/null | awk '{print $3}'), files in $run"

# --- Processes we start ------------------------------------------------------
# Each browser runs in a session of its own, so its helpers can be ended with it.
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null
    fi
  done
  for pid in "${started[@]}"; do
    local i
    for i in $(seq 1 20); do
      exited "$pid" && break
      sleep 0.5
    done
    exited "$pid" || kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  started=()
  if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then wine_env_stop; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# True once the process is gone or a zombie (kill -0 still succeeds on a zombie).
exited() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
  case $state in Z*) return 0 ;; esac
  return 1
}

# Waits for a browser we started to end by itself; false if it is still running
# after the given seconds. Leaves its exit status in $exit_status.
wait_exit() {
  local pid=$1 seconds=$2 i
  for i in $(seq 1 $((seconds * 2))); do
    if exited "$pid"; then
      wait "$pid" 2>/dev/null
      exit_status=$?
      # Reaped: its number may now be given to another process.
      local kept=() p
      for p in "${started[@]}"; do [ "$p" = "$pid" ] || kept+=("$p"); done
      started=("${kept[@]}")
      return 0
    fi
    sleep 0.5
  done
  return 1
}

chromium_flags=(--headless=new --no-first-run --no-default-browser-check --disable-sync
                --remote-debugging-port=0)
# Chromium refuses to run as root with its sandbox.
[ "$(id -u)" -ne 0 ] || chromium_flags+=(--no-sandbox)
start_chromium() {
  rm -f "$1/DevToolsActivePort"
  setsid chromium "${chromium_flags[@]}" "--user-data-dir=$1" about:blank \
    </dev/null >>"$run/chromium.log" 2>&1 &
  browser_pid=$!
  started+=("$browser_pid")
}

start_firefox() {
  rm -f "$1/MarionetteActivePort"
  setsid firefox-esr --headless --no-remote --marionette -remote-allow-system-access \
    --profile "$1" </dev/null >>"$run/firefox.log" 2>&1 &
  browser_pid=$!
  started+=("$browser_pid")
}

chromium_result=""
firefox_result=""
chromium_fail() { [ -n "$chromium_result" ] || chromium_result="FAILED $*"; }
firefox_fail() { [ -n "$firefox_result" ] || firefox_result="FAILED $*"; }
notes="$run/notes.txt"
: >"$notes"
note() { printf '%s\n' "$*" | tee -a "$notes"; }

# Files of the database as they are, copied so that opening them changes nothing;
# bookmarks.txt holds the bookmark rows, dump.txt everything else.
snapshot_places() {
  rm -rf "$2"
  mkdir -p "$2"
  cp "$1/places.sqlite" "$2/"
  [ ! -f "$1/places.sqlite-wal" ] || cp "$1/places.sqlite-wal" "$2/"
  sqlite3 "$2/places.sqlite" "SELECT id, type, fk, parent, position, title, guid, syncStatus,
    syncChangeCounter, dateAdded, lastModified FROM moz_bookmarks ORDER BY id" >"$2/bookmarks.txt"
  sqlite3 "$2/places.sqlite" .dump | grep -v -e '^INSERT INTO moz_bookmarks VALUES' -e sqlite_stat >"$2/dump.txt"
}

# --- Fresh profiles, made by the browsers ------------------------------------
chrome_udd="$run/chromium"
mkdir -p "$chrome_udd"
say "chromium: making a profile"
start_chromium "$chrome_udd"
if ! timeout 120 node "$here/chromium-bar.js" "$chrome_udd" --close >"$run/chromium-new.json" 2>>"$run/chromium.log"; then
  chromium_fail "could not read the new profile through DevTools (see $run/chromium.log)"
elif ! wait_exit "$browser_pid" 120; then
  chromium_fail "did not exit after Browser.close on the new profile"
fi
if [ -z "$chromium_result" ]; then
  if [ -f "$chrome_udd/Default/Bookmarks" ]; then
    note "chromium: wrote Default/Bookmarks for the new profile itself"
  else
    # Chromium writes no Bookmarks file until the model changes.
    cp /work/shared/reference/chromium-Bookmarks.json "$chrome_udd/Default/Bookmarks"
    note "chromium: wrote no Bookmarks file for the empty profile; starting from the reference file Chromium 156 wrote"
  fi
  node "$here/bars.js" file-bar "$chrome_udd/Default/Bookmarks" >"$run/chromium-baseline.json"
fi

ff_root="$run/firefox"
ff_profile="$ff_root/Profiles/check.default"
mkdir -p "$ff_profile"
# Port 0: Marionette takes a free port and writes it to MarionetteActivePort.
echo 'user_pref("marionette.port", 0);' >"$ff_profile/user.js"
say "firefox: making a profile"
start_firefox "$ff_profile"
if ! timeout 180 node "$here/firefox-toolbar.js" "$ff_profile" init >/dev/null 2>>"$run/firefox.log"; then
  firefox_fail "could not drive the new profile through Marionette (see $run/firefox.log)"
elif ! wait_exit "$browser_pid" 120; then
  firefox_fail "did not exit after Marionette:Quit on the new profile"
elif [ ! -f "$ff_profile/places.sqlite" ]; then
  firefox_fail "made no places.sqlite"
fi
if [ -z "$firefox_result" ]; then
  printf '[General]\nStartWithLastProfile=1\nVersion=2\n\n[Profile0]\nName=check\nIsRelative=1\nPath=Profiles/check.default\nDefault=1\n' \
    >"$ff_root/profiles.ini"
  snapshot_places "$ff_profile" "$run/firefox-new"
  ff_toolbar_before=$(sqlite3 "$run/firefox-new/places.sqlite" \
    "SELECT count(*) FROM moz_bookmarks WHERE parent = (SELECT id FROM moz_bookmarks WHERE guid = 'toolbar_____')")
  note "firefox: new profile has $ff_toolbar_before nodes on the toolbar"
fi

# --- Pinvane under Wine ------------------------------------------------------
# Run 1 makes the folder with two bookmarks and puts one on the bar; run 2, on
# the profiles the browsers have since opened and saved, adds a third bookmark
# to the folder that now exists.
cp "$BUILD_DIR/bin/Pinvane.exe" "$BUILD_DIR/bin/winsqlite3.dll" "$run/pinvane/" || die "no Pinvane.exe or winsqlite3.dll in $BUILD_DIR/bin"
cat >"$run/pinvane/settings-1.ini" <<'EOF'
[A]
Title=Folder Item One
Url=https://one.example.com/
Folder=Check Folder
[B]
Title=Folder Item Two
Url=https://two.example.com/
Folder=Check Folder
[C]
Title=Bar Item
Url=https://bar.example.com/
EOF
cat >"$run/pinvane/settings-2.ini" <<'EOF'
[D]
Title=Second Run Item
Url=https://second.example.com/
Folder=Check Folder
EOF
. "$root/scripts/wine-env.sh"
# A prefix of our own, so that ending its wineserver never disturbs the tests.
wine_env_start "$work"
win() { winepath -w "$1" 2>/dev/null; }
mkdir -p "$run/none"

run_pinvane() {
  local phase=$1 args=(--no-dialog --no-process-check "--edge-dir=$(win "$run/none")")
  # A browser that already failed gets an empty folder: nothing of it is edited.
  if [ -z "$chromium_result" ]; then args+=("--chrome-dir=$(win "$chrome_udd")")
  else args+=("--chrome-dir=$(win "$run/none")"); fi
  if [ -z "$firefox_result" ]; then args+=("--firefox-dir=$(win "$ff_root")")
  else args+=("--firefox-dir=$(win "$run/none")"); fi
  args+=("$(win "$run/pinvane/settings-$phase.ini")")
  say "run $phase: Pinvane under Wine"
  local status=0
  wine "$run/pinvane/Pinvane.exe" "${args[@]}" </dev/null >"$run/pinvane/wine-$phase.out" 2>&1 || status=$?
  sed '1s/^\xEF\xBB\xBF//' "$run/pinvane/Pinvane.log" 2>/dev/null | tr -d '\r' >"$run/pinvane/log-$phase.txt"
  say "run $phase: Pinvane exit code $status; its log:"
  sed 's/^/   /' "$run/pinvane/log-$phase.txt"
  if [ "$status" -ne 0 ]; then
    chromium_fail "run $phase: Pinvane exit code $status (see $run/pinvane/log-$phase.txt)"
    firefox_fail "run $phase: Pinvane exit code $status (see $run/pinvane/log-$phase.txt)"
  fi
}

# Chromium on Linux without a keyring encrypts with its fixed "v10" key
# (AES-128-CBC, key PBKDF2-SHA1 of "peanuts" with salt "saltysalt", IV of spaces).
encrypted_note() {
  local file="$chrome_udd/Default/EncryptedBookmarks2" key
  if [ ! -f "$file" ]; then
    note "chromium: $1: no EncryptedBookmarks2"
  elif [ "$(head -c 3 "$file")" != v10 ] || ! command -v openssl >/dev/null; then
    note "chromium: $1: EncryptedBookmarks2 is there (not compared)"
  else
    key=$(python3 -c "import hashlib; print(hashlib.pbkdf2_hmac('sha1', b'peanuts', b'saltysalt', 1, 16).hex())")
    if tail -c +4 "$file" | openssl enc -d -aes-128-cbc -K "$key" -iv 20202020202020202020202020202020 2>/dev/null |
        cmp -s - "$chrome_udd/Default/Bookmarks"; then
      note "chromium: $1: EncryptedBookmarks2 decrypts to the same bytes as Bookmarks"
    else
      note "chromium: $1: EncryptedBookmarks2 does not decrypt to the bytes of Bookmarks"
    fi
  fi
}

check_chromium() {
  local phase=$1 flag=() why bookmarks="$chrome_udd/Default/Bookmarks"
  [ -z "$chromium_result" ] || return
  [ "$phase" = 1 ] || flag=(--second-run)
  cp "$bookmarks" "$run/chromium-pinvane-$phase.json"
  why=$(node "$here/bars.js" check <(node "$here/bars.js" file-bar "$bookmarks") bar "${flag[@]}" "$run/chromium-baseline.json" bar)
  [ "$why" = ok ] || note "chromium: run $phase: the file as Pinvane left it: $why"
  encrypted_note "run $phase, before Chromium starts"
  say "run $phase: chromium reads the bookmarks"
  start_chromium "$chrome_udd"
  # Run 1 shows what Chromium does of itself; in run 2 a change of its own makes
  # it save its whole model, Pinvane's nodes included, over Pinvane's file.
  local touch=()
  [ "$phase" = 1 ] || touch=(--touch)
  if ! timeout 120 node "$here/chromium-bar.js" "$chrome_udd" "${touch[@]}" --close >"$run/chromium-bar-$phase.json" 2>>"$run/chromium.log"; then
    chromium_fail "run $phase: could not read the bookmark tree through DevTools (see $run/chromium.log)"
  else
    why=$(node "$here/bars.js" check "$run/chromium-bar-$phase.json" bar "${flag[@]}" "$run/chromium-baseline.json" bar)
    [ "$why" = ok ] || chromium_fail "run $phase: chrome.bookmarks.getTree(): $why"
  fi
  if ! wait_exit "$browser_pid" 120; then
    chromium_fail "run $phase: did not exit after Browser.close"
    return
  fi
  [ "$exit_status" -eq 0 ] || note "chromium: run $phase: exit status $exit_status after Browser.close"
  if cmp -s "$bookmarks" "$run/chromium-pinvane-$phase.json"; then
    note "chromium: run $phase: left the Bookmarks file byte for byte as Pinvane wrote it"
  else
    note "chromium: run $phase: rewrote the Bookmarks file; what changed against Pinvane's file:"
    node "$here/bars.js" diff "$run/chromium-pinvane-$phase.json" "$bookmarks" | sed 's/^/   /' | tee -a "$notes"
    why=$(node "$here/bars.js" check <(node "$here/bars.js" file-bar "$bookmarks") bar "${flag[@]}" "$run/chromium-baseline.json" bar)
    [ "$why" = ok ] || chromium_fail "run $phase: the Bookmarks file Chromium rewrote: $why"
  fi
  [ ! -f "$bookmarks.bak" ] || note "chromium: run $phase: Bookmarks.bak is there"
  encrypted_note "run $phase, after Chromium exited"
}

ff_sql() { sqlite3 "$run/firefox-end-$phase/places.sqlite" "$1"; }
check_firefox() {
  local phase=$1 flag=() why task want
  [ -z "$firefox_result" ] || return
  want=$'0 Folder Item One https://one.example.com/\n1 Folder Item Two https://two.example.com/'
  if [ "$phase" != 1 ]; then
    flag=(--second-run)
    want+=$'\n2 Second Run Item https://second.example.com/'
  fi
  snapshot_places "$ff_profile" "$run/firefox-pinvane-$phase"
  say "run $phase: firefox reads the bookmarks"
  start_firefox "$ff_profile"
  if ! timeout 300 node "$here/firefox-toolbar.js" "$ff_profile" check >"$run/firefox-toolbar-$phase.json" 2>>"$run/firefox.log"; then
    firefox_fail "run $phase: could not read the toolbar through Marionette (see $run/firefox.log)"
  else
    why=$(node "$here/bars.js" check "$run/firefox-toolbar-$phase.json" before "${flag[@]}")
    [ "$why" = ok ] || firefox_fail "run $phase: PlacesUtils.promiseBookmarksTree(toolbar): $why"
    why=$(node "$here/bars.js" check "$run/firefox-toolbar-$phase.json" after "${flag[@]}")
    [ "$why" = ok ] || firefox_fail "run $phase: after Firefox's own database maintenance: $why"
    node "$here/bars.js" maintenance "$run/firefox-toolbar-$phase.json" >"$run/firefox-maintenance-$phase.txt"
    note "firefox: run $phase: PlacesDBUtils.maintenanceOnIdle() in the browser:"
    sed 's/^/   /' "$run/firefox-maintenance-$phase.txt" | tee -a "$notes"
    # Integrity and coherence must pass; the other tasks are only reported.
    for task in checkIntegrity checkCoherence; do
      grep -q "^ok $task:" "$run/firefox-maintenance-$phase.txt" || firefox_fail "run $phase: maintenance task $task did not succeed"
    done
  fi
  if ! wait_exit "$browser_pid" 120; then
    firefox_fail "run $phase: did not exit after Marionette:Quit"
    return
  fi
  [ "$exit_status" -eq 0 ] || note "firefox: run $phase: exit status $exit_status after Marionette:Quit"
  local corrupt
  corrupt=$(cd "$ff_profile" && ls -d places.sqlite*.corrupt* 2>/dev/null)
  [ -z "$corrupt" ] || firefox_fail "run $phase: Firefox set the database aside as corrupt: $corrupt"
  ! grep -q 'places.database.replaceDatabaseOnStartup' "$ff_profile/prefs.js" ||
    firefox_fail "run $phase: Firefox asked to replace places.sqlite on its next start"
  snapshot_places "$ff_profile" "$run/firefox-end-$phase"
  local integrity folder children gaps counts
  integrity=$(ff_sql "PRAGMA integrity_check")
  [ "$integrity" = ok ] || firefox_fail "run $phase: integrity_check: $integrity"
  folder=$(ff_sql "SELECT id FROM moz_bookmarks WHERE type = 2 AND title = 'Check Folder'
                   AND parent = (SELECT id FROM moz_bookmarks WHERE guid = 'toolbar_____')")
  if [ "$(printf '%s\n' "$folder" | grep -c .)" -ne 1 ]; then
    firefox_fail "run $phase: want one 'Check Folder' row on the toolbar in places.sqlite, found '${folder//$'\n'/,}'"
  else
    children=$(ff_sql "SELECT b.position || ' ' || b.title || ' ' || p.url FROM moz_bookmarks b
                       JOIN moz_places p ON p.id = b.fk WHERE b.parent = $folder ORDER BY b.position")
    [ "$children" = "$want" ] || firefox_fail "run $phase: places.sqlite folder rows: '${children//$'\n'/; }'"
  fi
  gaps=$(ff_sql "SELECT parent FROM moz_bookmarks GROUP BY parent
                 HAVING min(position) <> 0 OR max(position) <> count(*) - 1 OR count(DISTINCT position) <> count(*)")
  [ -z "$gaps" ] || firefox_fail "run $phase: positions not 0..n-1 under parents ${gaps//$'\n'/,}"
  counts=$(ff_sql "SELECT count(*) FROM moz_places p WHERE foreign_count <>
                   (SELECT count(*) FROM moz_bookmarks WHERE fk = p.id) + (SELECT count(*) FROM moz_keywords WHERE place_id = p.id)")
  [ "$counts" = 0 ] || firefox_fail "run $phase: $counts moz_places rows with a wrong foreign_count"
  # Firefox repairs what it finds inconsistent (positions, parents, counts): a
  # bookmark row it changed means Pinvane wrote something it did not accept.
  if ! diff -q "$run/firefox-pinvane-$phase/bookmarks.txt" "$run/firefox-end-$phase/bookmarks.txt" >/dev/null; then
    firefox_fail "run $phase: Firefox changed moz_bookmarks rows (see $notes)"
    note "firefox: run $phase: moz_bookmarks rows Firefox changed (- as Pinvane left them, + after Firefox ran):"
    diff "$run/firefox-pinvane-$phase/bookmarks.txt" "$run/firefox-end-$phase/bookmarks.txt" | grep '^[<>]' |
      sed 's/^</   -/; s/^>/   +/' | tee -a "$notes"
  fi
  if diff -q "$run/firefox-pinvane-$phase/dump.txt" "$run/firefox-end-$phase/dump.txt" >/dev/null; then
    note "firefox: run $phase: every row of places.sqlite is as Pinvane left it (sqlite_stat1 aside)"
  else
    note "firefox: run $phase: other rows Firefox changed (- as Pinvane left them, + after Firefox ran):"
    diff "$run/firefox-pinvane-$phase/dump.txt" "$run/firefox-end-$phase/dump.txt" | grep '^[<>]' | head -n 40 |
      sed 's/^</   -/; s/^>/   +/' | tee -a "$notes"
  fi
}

for phase in 1 2; do
  run_pinvane "$phase"
  check_chromium "$phase"
  check_firefox "$phase"
done

cleanup
[ -n "$chromium_result" ] || chromium_result="folder ok"
[ -n "$firefox_result" ] ||
  firefox_result="folder ok (Marionette, chrome context: PlacesUtils.promiseBookmarksTree before and after PlacesDBUtils.maintenanceOnIdle; places.sqlite after exit: integrity_check, folder rows, positions, foreign_count)"
echo "chromium: $chromium_result"
echo "firefox: $firefox_result"
[ "$chromium_result" = "folder ok" ] && [ "${firefox_result%% *}" = folder ]
