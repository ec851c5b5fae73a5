#!/usr/bin/env bash
# The location catalogue: load_ms is the median time to read and index every table (goal at
# most 5 ms); load_ratio_vs_scan that time against one memchr pass for line ends over the same
# bytes (goal at most 30); lookup_ns the mean lookup_station time over every foreign tree city
# (goal at most 1000 ns).
set -euo pipefail
build="${NIMBRIX_BUILD:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
"$build/bench/catalogue/catalogue_bench"
