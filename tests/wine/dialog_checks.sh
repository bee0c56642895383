# The settings dialog under Wine, used as a person would: the source enabled
# with its user interface, real clicks on a tab, a camera format, the "Save
# settings" box, the live preview and Transfer, and the image received.
# Sourced by checks.sh.

echo "== The settings dialog"
dialog_title="Frame Grabber Settings"

# Where a point of the dialog, in dialog units, lies in the window: Wine's
# frame is 3 pixels wide and its caption bar ends 22 pixels down; the scale
# comes from the dialog's width of 469 units, measured when it first opens
# collapsed (the live preview widens it).
dialog_width=
ClickDialog() {
  local x y
  read -r x y < <(awk -v w="$dialog_width" -v x="$2" -v y="$3" \
    'BEGIN { s = (w - 6) / 469; printf "%d %d\n", 3 + s * x + 0.5, 22 + s * y + 0.5 }')
  xdotool mousemove --window "$1" "$x" "$y" click 1
  sleep 0.5
}

# PreviewShows NAME SCREENSHOT KIND: the board's picture lies whole in the
# screenshot of the dialog.
PreviewShows() {
  local report
  if report=$(python3 "$root/tests/wine/check_image.py" --within "$run_dir/$2" "$3" 768 576 2>&1); then
    Pass "$1: ${report#"$run_dir/"}"
  else
    Fail "$1: $report"
  fi
}

# Pixels that differ between two pictures (0 when they cannot be compared).
Differing() {
  compare -metric AE "$1" "$2" null: 2>&1 | awk '{ printf "%d\n", $1 }' || true
}

Acquire dialog --ui --mode native --output dialog.bmp --timeout 45 &
acquire_pid=$!
window=$(WaitForWindow "$dialog_title") || true
if [[ -z "$window" ]]; then
  Fail "the dialog \"$dialog_title\" did not appear within 30 s"
  kill "$acquire_pid" 2>/dev/null || true
else
  sleep 1
  dialog_width=$(xdotool getwindowgeometry "$window" | awk '/Geometry:/ { split($2, size, "x"); print size[1] }')
  Screenshot "$run_dir/dialog-desktop.png"
  import -window "$window" "$run_dir/dialog-opened.png"
  Pass "the dialog is mapped, $dialog_width pixels wide (screenshot dialog-desktop.png)"

  ClickDialog "$window" 85 20  # the "Video Norm" tab
  import -window "$window" "$run_dir/dialog-video-norm.png"
  changed=$(Differing "$run_dir/dialog-opened.png" "$run_dir/dialog-video-norm.png")
  if ((changed > 1000)); then
    Pass "a click on the \"Video Norm\" tab shows its page ($changed pixels changed)"
  else
    Fail "a click on the \"Video Norm\" tab changed $changed pixels"
  fi

  ClickDialog "$window" 86 63    # Greyscale "CCIR"
  ClickDialog "$window" 344 80   # "Save settings"
  ClickDialog "$window" 376 139  # "Show preview window >>"
  sleep 1
  import -window "$window" "$run_dir/dialog-live.png"
  sleep 0.5
  import -window "$window" "$run_dir/dialog-live-later.png"
  moving=$(Differing "$run_dir/dialog-live.png" "$run_dir/dialog-live-later.png")
  # The preview shows 768 x 576 pixels at zoom 1:1: each frame whole, and the
  # scene moves with the frame number.
  PreviewShows "the live preview, CCIR" dialog-live.png grey
  if ((moving > 100000)); then
    Pass "the live preview moves ($moving pixels changed in 0.5 s)"
  else
    Fail "the live preview does not move: $moving pixels changed in 0.5 s"
  fi

  ClickDialog "$window" 433 17  # "Transfer"
  if wait "$acquire_pid"; then
    CheckImage "Transfer from the dialog, CCIR chosen there" dialog.bmp grey
  else
    Fail "the acquisition through the dialog failed"; Shown dialog
  fi
fi

# "Save settings" stored the dialog's choice; a run without the dialog reads it.
values=$(SettingsValues)
if grep -qE 'DigFormat +REG_SZ +M_CCIR$' <<<"$values" && grep -qE 'Preview +REG_DWORD +0x1$' <<<"$values"; then
  Pass "Transfer with \"Save settings\" stored DigFormat M_CCIR and Preview 1"
else
  Fail "the dialog did not save DigFormat M_CCIR and Preview 1:"; echo "$values" >&2
fi
if Acquire after-dialog --mode memory --output after-dialog.png; then
  CheckImage "the next run without the dialog uses the saved CCIR" after-dialog.png grey
else
  Fail "the run after the dialog failed"; Shown after-dialog
fi

# The saved Preview opens the next dialog with the live picture, here in
# colour. Cancel while it runs: the source asks to be closed, and the dialog
# and the preview's window go with the session, whose libraries are unloaded
# after them.
WineRun 30 wine reg add "$settings_key\\Meteor2" /v DigFormat /t REG_SZ /d M_PAL_RGB /f >/dev/null
Acquire dialog-cancel --ui --mode native --output cancelled.bmp --timeout 45 &
acquire_pid=$!
window=$(WaitForWindow "$dialog_title") || true
if [[ -n "$window" ]]; then
  sleep 1
  import -window "$window" "$run_dir/dialog-live-rgb.png"
  PreviewShows "the dialog opens with the live preview, M_PAL_RGB" dialog-live-rgb.png rgb
  ClickDialog "$window" 433 37  # "Cancel"
else
  Fail "the dialog \"$dialog_title\" did not appear within 30 s"
fi
if ! wait "$acquire_pid" && grep -q "asked to be closed (MSG_CLOSEDSREQ)" "$run_dir/dialog-cancel.out" &&
  grep -q "^Closed the Source Manager" "$run_dir/dialog-cancel.out"; then
  Pass "Cancel during the live preview sends MSG_CLOSEDSREQ and the session closes cleanly"
else
  Fail "Cancel during the live preview did not end the session as asked"; Shown dialog-cancel
fi

# The dialog of a second session in the same process, the module still
# loaded from the first: shown again, and its Transfer delivers.
TwoSessions dialog-twice --ui --mode native --output dialog-twice.bmp --timeout 45 &
acquire_pid=$!
for session in first second; do
  window=$(WaitForWindow "$dialog_title") || true
  if [[ -n "$window" ]]; then ClickDialog "$window" 433 17; fi  # "Transfer"
  sleep 1
done
if wait "$acquire_pid"; then
  CheckImage "the second session's dialog, Transfer" second-dialog-twice.bmp rgb
else
  Fail "two sessions with the dialog in one process"; Shown dialog-twice
fi
