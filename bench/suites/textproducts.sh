#!/usr/bin/env bash
# Text-product cleaning: speed against a memchr scan of the same 4 MiB bulletin, and how the
# time per byte grows from 1 MiB to 4 MiB.
set -euo pipefail
build="${NIMBRIX_BUILD:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
"$build/bench/textproducts/textproducts_bench"
