#!/usr/bin/env python3
"""Writes nimbrix-host's observing-station tables into host/data/.

metar_stations.tsv  every METAR station of weather-util-data's station list that has a
                    position: ICAO identifier, latitude, longitude (degrees, 3 decimals).
                    nimbrix-host takes the nearest one for a US city or zip code.
wmo_metar.tsv       the catalogue's foreign station numbers and the METAR station each one
                    reads: the ICAO identifier the WMO-ICAO list gives the number when that
                    station reports METARs, else the nearest METAR station within 75 km, else
                    no row (the place keeps sample data).

Inputs: /usr/share/weather-util/stations.gz (Debian weather-util-data), the WMO-ICAO list
nsd_cccc.txt (Debian libeccodes-data, definitions/taf/stations/nsd_cccc.txt; another copy's
path may be given as the first argument) and src/locations/data/stations.tsv. Running it
again gives the same files byte for byte.
"""
import gzip
import math
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
STATIONS_GZ = "/usr/share/weather-util/stations.gz"
NSD = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/eccodes/definitions/taf/stations/nsd_cccc.txt"
CATALOGUE = os.path.join(ROOT, "src", "locations", "data", "stations.tsv")
OUT = os.path.join(ROOT, "host", "data")
FALLBACK_KM = 75.0


def read_metar_stations():
    stations = {}
    icao = None
    with gzip.open(STATIONS_GZ, "rt", encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            m = re.match(r"^\[([a-z0-9]{4})\]$", line)
            if m:
                icao = m.group(1).upper()
                continue
            m = re.match(r"^location = \(([-0-9.]+), ([-0-9.]+)\)$", line)
            if m and icao:
                lat = math.degrees(float(m.group(1)))
                lon = math.degrees(float(m.group(2)))
                stations[icao] = (lat, lon)
                icao = None
    return stations


def read_wmo_icao():
    by_wmo = {}
    with open(NSD, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\n").split("|")
            if len(fields) < 3 or not fields[1].isdigit() or not fields[2].isdigit():
                continue
            wmo = fields[1].zfill(2) + fields[2].zfill(3)
            by_wmo.setdefault(wmo, fields[0].upper())
    return by_wmo


def km(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dp = p2 - p1
    dl = math.radians(lon2 - lon1)
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 6371.0 * 2 * math.asin(min(1.0, math.sqrt(a)))


def main():
    metar = read_metar_stations()
    wmo_icao = read_wmo_icao()
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, "metar_stations.tsv"), "w", encoding="ascii", newline="\n") as f:
        f.write("icao\tlatitude\tlongitude\n")
        for icao in sorted(metar):
            lat, lon = metar[icao]
            f.write(f"{icao}\t{lat:.3f}\t{lon:.3f}\n")

    rows = []
    missing = 0
    with open(CATALOGUE, encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        col = {name: i for i, name in enumerate(header)}
        seen = set()
        for line in f:
            fields = line.rstrip("\n").split("\t")
            wmo = fields[col["station"]]
            if wmo in seen:
                continue
            seen.add(wmo)
            lat = float(fields[col["latitude"]])
            lon = float(fields[col["longitude"]])
            icao = wmo_icao.get(wmo)
            how = "list"
            if icao not in metar:
                best = min(metar, key=lambda s: km(lat, lon, *metar[s]))
                if km(lat, lon, *metar[best]) <= FALLBACK_KM:
                    icao, how = best, "nearest"
                else:
                    icao = None
            if icao is None:
                missing += 1
                continue
            rows.append((wmo, icao, how))
    with open(os.path.join(OUT, "wmo_metar.tsv"), "w", encoding="ascii", newline="\n") as f:
        f.write("station\ticao\tfrom\n")
        for wmo, icao, how in sorted(rows):
            f.write(f"{wmo}\t{icao}\t{how}\n")
    print(f"{len(metar)} METAR stations, {len(rows)} foreign stations resolved, "
          f"{missing} without a METAR station within {FALLBACK_KM:.0f} km", file=sys.stderr)


if __name__ == "__main__":
    main()
