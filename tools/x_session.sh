# Sourced by the scripts that drive the real program under X: a work folder
# with its own settings, runtime folder and database folder ("Default"
# created), an Xvfb screen with openbox, and everything started here
# stopped again on exit. Needs $bin (the programs) set; sets $work, $pids
# and DISPLAY, and gives wait_window TITLE (waits up to 10 s for a visible
# window of that title, else calls the script's fail).
work=$(mktemp -d)
pids=()
x_session_cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap x_session_cleanup EXIT

export TAVRINO_SETTINGS=$work/settings.ini
export XDG_RUNTIME_DIR=$work/runtime XDG_STATE_HOME=$work/state
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
"$bin/tavrino-cli" init --database "$work/db" >/dev/null

Xvfb -displayfd 4 -screen 0 800x600x24 -noreset -nolisten tcp 4>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
# Until the window manager runs: a window mapped before it manages windows
# may stay unmapped.
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

wait_window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "the window '$1' never appeared"
}
