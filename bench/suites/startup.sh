#!/usr/bin/env bash
# startup.main_window_ratio and startup.rss_ratio: the program against its twin, from process
# start to the main window's first paint under the offscreen platform.
set -euo pipefail
build="${NIMBRIX_BUILD:?}"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen \
  "$build/bench/startup/startup_runner" 30 "$build/src/nimbrix" "$build/bench/startup/startup_twin"

# startup.idle_cpu_ms_per_minute: a minute of idling with the start-up location shown and the
# tray icon up, in an X server and a session bus of its own.
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" dbus-run-session -- \
  "$build/bench/startup/idle_cpu" "$build/src/nimbrix" "$build/host/nimbrix-host"
