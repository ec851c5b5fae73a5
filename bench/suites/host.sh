#!/usr/bin/env bash
# nimbrix-host: requests per second for a cached live conditions page beside cpp-httplib
# answering a fixed string of the same size, and the pages many clients get through nginx's
# proxy cache per upstream request. Prints "name: value" lines.
set -euo pipefail
"${NIMBRIX_BUILD:?NIMBRIX_BUILD must name the build folder}/bench/host/host_bench"
"${NIMBRIX_BUILD}/bench/host/shared_cache_bench"
