#!/usr/bin/env bash
# A headless sound server with a null sink, as a desktop runs it: PipeWire (with its session
# manager and its PulseAudio layer) or Debian's PulseAudio daemon.
#   sound_server.sh run [--pulseaudio] COMMAND...
#                                   runs COMMAND on a session bus of its own, with a runtime folder
#                                   of its own and VURUZ_SOUND_SERVER naming this script; PipeWire
#                                   unless --pulseaudio (VURUZ_SOUND_SERVER_KIND tells which)
#   sound_server.sh both COMMAND... runs COMMAND under each server at the same time (they share
#                                   nothing), shows both outputs, and fails if either run failed
#   sound_server.sh start           (under run) starts the server and waits until the null sink
#                                   "vuruz_test" is the default; fails, saying why, rather than
#                                   leave part of a server running
#   sound_server.sh start-unmanaged (under run, PipeWire) the same without wireplumber: nothing
#                                   links a new stream to a sink, so a client's stream never starts
#   sound_server.sh kill            (under run) kills every server process at once, as a crash would
#   sound_server.sh stop | cont     (under run) stops every server process (SIGSTOP), as a busy
#                                   machine or a suspend does, and lets them go on
set -euo pipefail
here=$(readlink -f "${BASH_SOURCE[0]}")
kind=${VURUZ_SOUND_SERVER_KIND:-pipewire}
tries=3

# A killed process that nobody has reaped yet is gone for the tests' purpose.
alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ $state != Z* ]]
}

stop_all() {
  local pids=$XDG_RUNTIME_DIR/server.pids
  [[ -f $pids ]] || return 0
  kill -9 $(cat "$pids") 2>/dev/null || true
  local pid
  for pid in $(cat "$pids"); do
    for _ in $(seq 250); do
      alive "$pid" || break
      sleep 0.02
    done
  done
  rm -f "$pids"
}

signal_all() {
  local pids=$XDG_RUNTIME_DIR/server.pids
  [[ -f $pids ]] || return 1
  kill "-$1" $(cat "$pids")
}

all_alive() {
  local pid
  for pid in $(cat server.pids); do
    alive "$pid" || return 1
  done
}

# Polls COMMAND every 40 ms for about LIMIT seconds while every server process
# lives; says what went wrong when it does not succeed.
wait_for() {
  local limit=$1 what=$2
  shift 2
  local until=$((SECONDS + limit))
  while ((SECONDS <= until)); do
    "$@" >/dev/null 2>&1 && return 0
    if ! all_alive; then
      echo "a server process died before $what"
      return 1
    fi
    sleep 0.04
  done
  echo "no $what within $limit s"
  return 1
}

spawn() {
  "$@" >>server.log 2>&1 &
  echo $! >>server.pids
}

default_is_test_sink() {
  timeout 2 pactl set-default-sink vuruz_test && [[ $(timeout 2 pactl get-default-sink) == vuruz_test ]]
}

# Debian's daemon with what its default configuration loads for a desktop
# without a sound card: the native protocol, the null sink as the default and
# suspend-on-idle.
start_pulseaudio() {
  cat >server.pa <<'PA'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=vuruz_test rate=48000
set-default-sink vuruz_test
load-module module-suspend-on-idle
PA
  spawn pulseaudio -n -F server.pa --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --log-target=stderr --log-level=error
  wait_for 10 "answer from pulseaudio" timeout 2 pactl info || return 1
  wait_for 10 "null sink as the default" default_is_test_sink || return 1
}

start_pipewire() {
  local managed=$1
  spawn pipewire
  # The socket appears before pipewire answers; a session manager started in
  # between fails to connect and quits, and then no stream is ever linked.
  wait_for 5 "answer from pipewire" timeout 2 pw-cli info 0 || return 1
  [[ $managed == no ]] || spawn wireplumber
  spawn pipewire-pulse
  wait_for 10 "answer from pipewire-pulse" timeout 2 pactl info || return 1
  if ! timeout 5 pactl load-module module-null-sink sink_name=vuruz_test rate=48000 >/dev/null; then
    echo "the null sink could not be loaded"
    return 1
  fi
  if [[ $managed == yes ]]; then
    wait_for 10 "null sink as the default" default_is_test_sink || return 1
  fi
}

# One try at a whole server; on failure says why and leaves none running.
start_once() {
  stop_all
  : >server.pids
  if [[ $kind == pulseaudio ]]; then
    start_pulseaudio || return 1
  else
    start_pipewire "$1" || return 1
  fi
  if ! all_alive; then
    echo "a server process died while starting"
    return 1
  fi
}

start() {
  cd "$XDG_RUNTIME_DIR"
  local try why
  for try in $(seq $tries); do
    if why=$(start_once "$1"); then
      return 0
    fi
    echo "sound_server.sh: try $try: $why" | tee -a server.log >&2
    stop_all
  done
  echo "sound_server.sh: no sound server after $tries tries; see $XDG_RUNTIME_DIR/server.log" >&2
  tail -n 20 server.log >&2
  return 1
}

case "${1:-}" in
both)
  shift
  logs=$(mktemp -d)
  trap 'rm -rf "$logs"' EXIT
  "$here" run "$@" >"$logs/pipewire" 2>&1 &
  pipewire_pid=$!
  "$here" run --pulseaudio "$@" >"$logs/pulseaudio" 2>&1 &
  pulseaudio_pid=$!
  status=0
  wait $pipewire_pid || status=1
  echo "== PipeWire"
  cat "$logs/pipewire"
  wait $pulseaudio_pid || status=1
  echo "== PulseAudio"
  cat "$logs/pulseaudio"
  exit $status
  ;;
run)
  shift
  if [[ ${1:-} == --pulseaudio ]]; then
    kind=pulseaudio
    shift
  fi
  tools=(pactl parec paplay dbus-run-session)
  if [[ $kind == pulseaudio ]]; then
    tools+=(pulseaudio)
  else
    tools+=(pipewire pw-cli wireplumber pipewire-pulse)
  fi
  export VURUZ_SOUND_SERVER_KIND=$kind
  for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
      export VURUZ_SOUND_SERVER_MISSING=$tool
      exec "$@"
    fi
  done
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR VURUZ_SOUND_SERVER=$here
  export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse PIPEWIRE_RUNTIME_DIR=$XDG_RUNTIME_DIR
  # The daemon's cookie and state go to the private folder, not the caller's home.
  export HOME=$XDG_RUNTIME_DIR XDG_CONFIG_HOME=$XDG_RUNTIME_DIR/config
  export XDG_STATE_HOME=$XDG_RUNTIME_DIR/state
  unset PULSE_SERVER PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS
  trap 'stop_all; rm -rf "$XDG_RUNTIME_DIR"' EXIT
  status=0
  dbus-run-session -- "$@" || status=$?
  exit $status
  ;;
start)
  start yes
  ;;
start-unmanaged)
  start no
  ;;
kill)
  stop_all
  ;;
stop)
  signal_all STOP
  ;;
cont)
  signal_all CONT
  ;;
*)
  echo "usage: $0 run [--pulseaudio] COMMAND... | both COMMAND... | start | start-unmanaged | kill | stop | cont" >&2
  exit 2
  ;;
esac
