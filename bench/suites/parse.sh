#!/usr/bin/env bash
# Conditions parser: speed against a memchr scan of the same 1 MiB page, and how the time per
# byte grows from 256 KiB to 1 MiB.
set -euo pipefail
build="${NIMBRIX_BUILD:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
"$build/bench/parse/parse_bench"
