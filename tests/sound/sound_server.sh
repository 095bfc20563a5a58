#!/usr/bin/env bash
# A headless PipeWire sound server with a null sink, as a desktop runs it:
#   sound_server.sh run COMMAND...  runs COMMAND on a session bus of its own, with a runtime folder
#                                   of its own and VURUZ_SOUND_SERVER naming this script
#   sound_server.sh start           (under run) starts pipewire, wireplumber and pipewire-pulse and
#                                   waits until the null sink "vuruz_test" is the default
#   sound_server.sh kill            (under run) kills all three at once, as a crash would
set -euo pipefail
here=$(readlink -f "${BASH_SOURCE[0]}")
tools=(pipewire wireplumber pipewire-pulse pactl parec paplay dbus-run-session)

stop_all() {
  local pids=$XDG_RUNTIME_DIR/server.pids
  [[ -f $pids ]] || return 0
  kill -9 $(cat "$pids") 2>/dev/null || true
  for pid in $(cat "$pids"); do
    while kill -0 "$pid" 2>/dev/null; do sleep 0.02; done
  done
  rm -f "$pids"
}

case "${1:-}" in
run)
  shift
  for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
      export VURUZ_SOUND_SERVER_MISSING=$tool
      exec "$@"
    fi
  done
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR VURUZ_SOUND_SERVER=$here
  export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse PIPEWIRE_RUNTIME_DIR=$XDG_RUNTIME_DIR
  unset PULSE_SERVER PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS
  trap 'stop_all; rm -rf "$XDG_RUNTIME_DIR"' EXIT
  status=0
  dbus-run-session -- "$@" || status=$?
  exit $status
  ;;
start)
  cd "$XDG_RUNTIME_DIR"
  stop_all
  pipewire >>server.log 2>&1 &
  echo $! >server.pids
  for _ in $(seq 200); do [[ -S pipewire-0 ]] && break; sleep 0.02; done
  wireplumber >>server.log 2>&1 &
  echo $! >>server.pids
  pipewire-pulse >>server.log 2>&1 &
  echo $! >>server.pids
  for _ in $(seq 250); do pactl info >/dev/null 2>&1 && break; sleep 0.04; done
  pactl load-module module-null-sink sink_name=vuruz_test rate=48000 >/dev/null
  for _ in $(seq 250); do
    pactl set-default-sink vuruz_test 2>/dev/null &&
      [[ $(pactl get-default-sink 2>/dev/null) == vuruz_test ]] && exit 0
    sleep 0.04
  done
  echo "the null sink did not come up" >&2
  exit 1
  ;;
kill)
  stop_all
  ;;
*)
  echo "usage: $0 run COMMAND... | start | kill" >&2
  exit 2
  ;;
esac
