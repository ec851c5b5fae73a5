#!/usr/bin/env bash
# The HTTP client: a 64 MiB Get beside curl and beside plain memory writes, and the CPU cost
# of a request waiting on a silent server. Prints "name: value" lines.
set -euo pipefail
"${NIMBRIX_BUILD:?NIMBRIX_BUILD must name the build folder}/bench/net/net_bench"
