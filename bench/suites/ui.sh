#!/usr/bin/env bash
# What the user waits for in the windows: a preset until its values show and a bulletin until
# its text shows, each beside curl fetching the same page from the same nimbrix-host.
set -euo pipefail
"${NIMBRIX_BUILD:?NIMBRIX_BUILD must name the build folder}/bench/ui/ui_bench"
