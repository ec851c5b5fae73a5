#!/usr/bin/env bash
# The JPEG decoder beside djpeg and an image command beside curl plus djpeg. Prints
# "name: value" lines.
set -euo pipefail
"${NIMBRIX_BUILD:?NIMBRIX_BUILD must name the build folder}/bench/images/images_bench"
