#!/usr/bin/env bash
# startup.main_window_ratio and startup.rss_ratio: the program against its twin, from process
# start to the main window's first paint under the offscreen platform.
set -euo pipefail
build="${NIMBRIX_BUILD:?}"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen \
  "$build/bench/startup/startup_runner" 30 "$build/src/nimbrix" "$build/bench/startup/startup_twin"
