# The Wine session of the suite: a private 32-bit prefix, Xvfb with Wine's
# virtual desktop (without it, closing a top-level window stalls about two
# seconds), the modules installed where Wine looks for them, and helpers that
# run Wine commands under timeout. Sourced by run.sh.

product="Korvanta Matrox Meteor2 driver"
settings_key='HKCU\SOFTWARE\Korvanta\Twain'

# WineRun SECONDS COMMAND...: a Wine command that may not outlive SECONDS.
WineRun() {
  local seconds=$1
  shift
  timeout --kill-after=5 "$seconds" "$@"
}

# The first display number without an X server.
FreeDisplay() {
  local number
  for number in $(seq 90 189); do
    if [[ ! -e /tmp/.X$number-lock && ! -e /tmp/.X11-unix/X$number ]]; then
      echo "$number"
      return
    fi
  done
  echo "no free X display between :90 and :189" >&2
  return 1
}

StopWine() {
  if [[ -n "${WINEPREFIX:-}" ]]; then WineRun 20 wineserver -k 2>/dev/null || true; fi
  if [[ -n "${xvfb_pid:-}" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}

# StartWine PREFIX RUN_DIR: Xvfb, a new prefix and its virtual desktop.
StartWine() {
  local prefix=$1
  run_dir=$2
  export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
  rm -rf "$WINEPREFIX"

  local number
  number=$(FreeDisplay)
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >"$run_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  trap StopWine EXIT
  export DISPLAY=":$number"
  local tries=0
  until xdotool getdisplaygeometry >/dev/null 2>&1; do
    ((++tries < 100)) || { echo "FAIL: Xvfb did not start on $DISPLAY" >&2; return 1; }
    sleep 0.1
  done

  echo "== Wine prefix $WINEPREFIX (display $DISPLAY)"
  # Without .NET and HTML engines wineboot asks nobody to install them.
  WINEDLLOVERRIDES="mscoree=;mshtml=" WineRun 300 wineboot -i >"$run_dir/wineboot.log" 2>&1 ||
    { echo "FAIL: wineboot -i (see $run_dir/wineboot.log)" >&2; return 1; }
  cat >"$WINEPREFIX/drive_c/setup.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"
EOF
  WineRun 60 wine regedit /S 'C:\setup.reg'
  # The processes that wineboot left know no desktop yet: end them, so that
  # the next program starts the virtual desktop.
  WineRun 30 wineserver -k || true
}

# InstallModules BIN: the module as Wine's sane.ds, the simulated board where
# the module's LoadLibraryA finds it (the system folder), and acquire.exe in a
# folder of its own, away from the build's own TWAIN_32.DLL stand-in, so that
# it loads Wine's Source Manager.
InstallModules() {
  local bin=$1 drive=$WINEPREFIX/drive_c
  cp "$bin/Twain_32.ds" "$drive/windows/twain_32/sane.ds"
  cp "$bin/MIL.DLL" "$bin/MILMET2.DLL" "$drive/windows/system32/"
  mkdir -p "$drive/acquire"
  cp "$bin/acquire.exe" "$bin/two_sessions.exe" "$drive/acquire/"
  acquire_dir=$drive/acquire
  module_dir=$drive/windows/twain_32
}

# Acquire NAME ARGUMENT...: acquire.exe from the source, in its own folder;
# its output goes to RUN_DIR/NAME.out. Returns acquire's exit status.
# TwoSessions NAME ARGUMENT...: the same twice in one process.
Acquire() { RunInAcquireDir acquire.exe "$@"; }
TwoSessions() { RunInAcquireDir two_sessions.exe "$@"; }
RunInAcquireDir() {
  local program=$1 name=$2
  shift 2
  (cd "$acquire_dir" && WineRun 90 wine "$program" --source "$product" "$@") \
    >"$run_dir/$name.out" 2>&1
}

# WaitForWindow TITLE: the id of the visible window of that title, or failure
# after 30 seconds. Wine may replace the X window that first carries a new
# window's title while it maps it, so the search is made again once the
# window has settled.
WaitForWindow() {
  WineRun 30 xdotool search --sync --onlyvisible --name "$1" >/dev/null 2>&1 || return 1
  sleep 0.5
  xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1
}

# Screenshot FILE: the whole virtual desktop.
Screenshot() {
  import -window root "$1"
}
