#!/usr/bin/env bash
# The settings store: two processes writing 1,000 values each at once. Refused and lost
# writes, goal 0 for both.
set -euo pipefail
"${NIMBRIX_BUILD:?NIMBRIX_BUILD must name the build folder}/bench/settings/settings_bench"
