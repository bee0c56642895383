# The checks of the Wine suite, in the order a user meets them. Sourced by
# run.sh after the prefix is ready; each check prints PASS or FAIL with its
# reason, and the suite fails when one does.

passed=0
failed=0
Pass() { echo "PASS: $1"; passed=$((passed + 1)); }
Fail() { echo "FAIL: $1" >&2; failed=$((failed + 1)); }
# The output of a run, for a failure's report.
Shown() { sed 's/^/    /' "$run_dir/$1.out" >&2; }

# CheckImage NAME FILE KIND: the acquired file against the board's picture
# (768 x 576, the PAL and CCIR formats).
CheckImage() {
  local report
  if report=$(cd "$acquire_dir" && python3 "$root/tests/wine/check_image.py" "$2" "$3" 768 576 2>&1); then
    cp "$acquire_dir/$2" "$run_dir/"
    Pass "$1: $report"
  else
    Fail "$1: $report"
  fi
}

# Values under the source's settings key, one per line.
SettingsValues() {
  WineRun 30 wine reg query "$settings_key\\Meteor2" 2>/dev/null | tr -d '\r' | grep -E '^ +[A-Za-z0-9]+ +REG_' || true
}

echo "== Enumeration through Wine's Source Manager"
# Wine asks each source for its identity until the product name repeats.
if Acquire list --list && [[ $(grep -c "\"$product\"" "$run_dir/list.out") == 1 ]]; then
  Pass "acquire --list shows \"$product\" once"
else
  Fail "acquire --list does not show \"$product\" exactly once"; Shown list
fi

echo "== First open: no settings yet"
# The source tells the user that it creates the default settings, in a
# message box that waits for OK; then the acquisition goes on.
Acquire first-open --mode native --output first.bmp &
acquire_pid=$!
box=$(WaitForWindow "Korvanta TWAIN DS") || true
if [[ -n "$box" ]]; then
  Screenshot "$run_dir/first-open-message.png"
  # Return on the keyboard, as a user answers it: the box has the focus once
  # it is active, so a key that came too early is pressed again.
  for attempt in 1 2 3; do
    xdotool key Return
    sleep 1
    xdotool search --onlyvisible --name "Korvanta TWAIN DS" >/dev/null 2>&1 || break
  done
  Pass "the first open shows the message box about new default settings"
else
  Fail "no message box about new default settings within 30 s"
fi
if wait "$acquire_pid"; then
  CheckImage "first open, native transfer" first.bmp grey
else
  Fail "the first acquisition failed"; Shown first-open
fi
values=$(SettingsValues)
if [[ $(wc -l <<<"$values") == 17 ]] && grep -qE 'DigFormat +REG_SZ +M_CCIR$' <<<"$values"; then
  Pass "the first open saved the seventeen default settings (wine reg query)"
else
  Fail "the settings key does not hold the seventeen defaults:"; echo "$values" >&2
fi

# A bitmap from the native transfer, memory strips assembled into a PNG file,
# and the TIFF file the board's library writes.
declare -A extension=([native]=bmp [memory]=png [file]=tif)

# ByEachMechanism LABEL KIND RUNNER NAME: RUNNER (Acquire or TwoSessions) once
# per mechanism into NAME-<mechanism>.<extension>, and the image checked as
# KIND; of two sessions, the second one's image ("second-" before the name).
ByEachMechanism() {
  local label=$1 kind=$2 runner=$3 name=$4 mechanism file checked
  for mechanism in native memory file; do
    file=$name-$mechanism.${extension[$mechanism]}
    checked=$file
    if [[ $runner == TwoSessions ]]; then checked=second-$file; fi
    if $runner "$name-$mechanism" --mode "$mechanism" --output "$file"; then
      CheckImage "$label, $mechanism transfer" "$checked" "$kind"
    else
      Fail "$label, $mechanism transfer failed"; Shown "$name-$mechanism"
    fi
  done
}

echo "== Each transfer mechanism without user interface"
ByEachMechanism "M_CCIR" grey Acquire grey

echo "== Settings read back from the registry"
# A camera format stored in the registry is the one the next open sets up.
WineRun 30 wine reg add "$settings_key\\Meteor2" /v DigFormat /t REG_SZ /d M_PAL_RGB /f >/dev/null
ByEachMechanism "M_PAL_RGB from the registry" rgb Acquire rgb
values=$(SettingsValues)
if [[ $(wc -l <<<"$values") == 17 ]] && grep -qE 'DigFormat +REG_SZ +M_PAL_RGB$' <<<"$values"; then
  Pass "the settings key still holds seventeen values, DigFormat M_PAL_RGB"
else
  Fail "the settings key changed unexpectedly:"; echo "$values" >&2
fi

echo "== Two sessions in one process"
# Wine's Source Manager does not unload the source at MSG_CLOSEDS: the second
# session finds the module as the first one left it.
ByEachMechanism "second session in one process" rgb TwoSessions twice

echo "== A board that is not there"
# The simulated board's no-system fault: the open fails with the condition
# code that the application reads through Wine's Source Manager.
if ! MILSIM_FAULTS=no-system Acquire no-board --mode native --output no-board.bmp &&
  grep -q "MSG_OPENDS .* failed: TWCC_CHECKDEVICEONLINE" "$run_dir/no-board.out"; then
  Pass "without a board MSG_OPENDS fails with TWCC_CHECKDEVICEONLINE"
else
  Fail "without a board the open did not fail with TWCC_CHECKDEVICEONLINE"; Shown no-board
fi

echo "== Diagnostic log (Dump)"
# Dump 42 or "*" writes KORVANTA.LOG beside the module, 66 or "B" sends the log
# to the debugger output (Wine's debugstr channel), no value writes none. Making
# the default settings set Dump to 0, so each run sets it here, after them.
log=$module_dir/KORVANTA.LOG
declare -A place=([file]="KORVANTA.LOG beside the module" [debugger]="the debugger output"
  [none]="nowhere")
expected_lines=("Dispatching DG_CONTROL / DAT_3 / MSG_401 " "Korvanta TWAIN DS: Loading runtime DLL's "
  "MIL.DLL Version: 9, 0, 0, 0 " 'c:\windows\twain_32\sane.ds Version: 1, 1, 0, 0 ')
while read -r type data destination; do
  rm -f "$log"
  if [[ $type == none ]]; then
    WineRun 30 wine reg delete "$settings_key" /v Dump /f >/dev/null 2>&1 || true
  else
    WineRun 30 wine reg add "$settings_key" /v Dump /t "$type" /d "$data" /f >/dev/null
  fi
  name=dump-$destination-${data//\*/star}
  if ! WINEDEBUG=-all,+debugstr Acquire "$name" --mode native --output "$name.bmp"; then
    Fail "the run with Dump $type $data failed"; Shown "$name"
    continue
  fi
  in_file=none
  if [[ -f $log ]]; then
    in_file=all
    for line in "${expected_lines[@]}"; do grep -qF -- "$line" "$log" || in_file="not \"$line\""; done
    cp "$log" "$run_dir/$name.LOG"
  fi
  in_debugger=none
  if grep -q 'OutputDebugStringA "Dispatching DG_CONTROL / DAT_3 / MSG_401' "$run_dir/$name.out"; then
    in_debugger=some
  fi
  case $destination/$in_file/$in_debugger in
    file/all/none | debugger/none/some | none/none/none)
      Pass "Dump $type $data: the log goes to ${place[$destination]}" ;;
    *) Fail "Dump $type $data: log file holds $in_file of the expected lines, debugger output $in_debugger" ;;
  esac
done <<'EOF'
REG_DWORD 42 file
REG_SZ * file
REG_DWORD 66 debugger
REG_SZ B debugger
none - none
EOF

source tests/wine/dialog_checks.sh
