#!/usr/bin/env python3
"""Builds host/data/nws_zones.tsv: the weather service's forecast zones of the 53 states and
territories with their counties and the counties' numbers, a few places in each and the place
whose sample weather the zone's forecast follows.

Inputs:
  /usr/share/weather-util/{zones,places}.gz  Debian weather-util-data (zone-county correlation,
                                             county centroids; public-domain inputs)
  src/locations/data/{states,us_places,zips}.tsv  the location catalogue

A zone's counties: the county its correlation row names, then every county of the same state
that no zone row names, given to its nearest zone of that state (by centroid). Names are folded
to ASCII capitals as the bulletins print them ("DUPAGE", "ST. CLAIR", "DONA ANA"). A county's
number is its three-digit FIPS county code, which products issued for counties name ("ILC031"
is Cook County, Illinois); "-" where the census data has no county of that name (Connecticut's
old counties).

Every zone must list the same per-zone product folders (urgent_weather_message =
watches_warnings/non_precip/<st>/<zone>.txt and the others); nimbrix-host builds those paths
itself, so the script stops if a zone lists them in another shape.

nimbrix-host never runs this; it reads the file it wrote. Running it again gives the same file.
"""
import configparser
import csv
import gzip
import math
import os
import re
import unicodedata
from collections import Counter, defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CATALOGUE = os.path.join(ROOT, 'src', 'locations', 'data')
OUT = os.path.join(ROOT, 'host', 'data', 'nws_zones.tsv')
SHARE = '/usr/share/weather-util'
CITIES_PER_ZONE = 3

COUNTY_SUFFIX = re.compile(r' (County|Parish|Municipio|Borough|Census Area|City and Borough|'
                           r'Municipality)$')


def load(name):
    parser = configparser.ConfigParser(interpolation=None)
    with gzip.open(os.path.join(SHARE, name), 'rt', encoding='utf-8') as f:
        parser.read_string(f.read())
    return parser


def capitals(text):
    folded = unicodedata.normalize('NFKD', text).encode('ascii', 'ignore').decode('ascii')
    return re.sub(r'\s+', ' ', folded).strip().upper()


def county_name(description):
    """'Cook County, IL' -> 'COOK'; 'Bristol city, VA' -> 'BRISTOL CITY'."""
    return capitals(COUNTY_SUFFIX.sub('', description.rsplit(', ', 1)[0]))


def name_key(name):
    """Spellings of one county compare equal: 'DE KALB', 'DEKALB'; 'ST. MARYS', 'ST. MARY'S'."""
    return re.sub(r'[^A-Z]', '', name)


# The folders of the file server's per-zone products that nimbrix-host reads, by the key the
# zones file names them with.
ZONE_PRODUCT_FOLDERS = {
    'zone_forecast': 'forecasts/zone',
    'short_term_forecast': 'forecasts/nowcast',
    'urgent_weather_message': 'watches_warnings/non_precip',
    'severe_thunderstorm_warning': 'watches_warnings/thunderstorm',
    'severe_weather_statement': 'watches_warnings/severe_weather_stmt',
    'flash_flood_warning': 'watches_warnings/flash_flood/warning',
    'flash_flood_watch': 'watches_warnings/flash_flood/watch',
    'flash_flood_statement': 'watches_warnings/flash_flood/statement',
    'flood_warning': 'watches_warnings/flood/warning',
    'flood_statement': 'watches_warnings/flood/statement',
    'coastal_flood_statement': 'watches_warnings/flood/coastal',
    'special_weather_statement': 'watches_warnings/special_weather_stmt',
}


def check_product_folders(key, section):
    """Stops unless the zone lists every folder above in the shape nimbrix-host builds."""
    for name, folder in ZONE_PRODUCT_FOLDERS.items():
        url = section.get(name, '')
        wanted = '/data/%s/%s/%s.txt' % (folder, key[:2], key)
        if not url.endswith(wanted):
            raise SystemExit('zone %s: %s is %r, not ...%s' % (key, name, url, wanted))


def zone_county(parts, counties):
    """The county a zone's correlation row names. A row with a zone name of its own ('Lake and
    Peninsula, Bethel County, AK, US') names the county second; a row of three parts names the
    zone ('Central Cook County, IL, US'), whose last words are the county. Either may put a
    direction before the county ('Eastern Union')."""
    name = capitals(COUNTY_SUFFIX.sub('', COUNTY_SUFFIX.sub('', parts[-3])))
    name = re.sub(r'^(CITY AND BOROUGH OF|MUNICIPALITY OF|BOROUGH OF) ', '', name)
    if name.startswith('CITY OF '):
        name = name[len('CITY OF '):] + ' CITY'
    words = name.split(' ')
    for start in range(len(words)):
        rest = ' '.join(words[start:])
        if name_key(rest) in counties:
            return rest
    if len(parts) > 3:
        return name
    # Counties the census data no longer has (Connecticut's): the name without its direction.
    return re.sub(r'^(NORTHERN|SOUTHERN|EASTERN|WESTERN|CENTRAL) ', '', name)


def centroid(section):
    lat, lon = (float(v) for v in section['centroid'].strip('()').split(','))
    return lat, lon


def distance(a, b):
    """Great-circle angle between two (lat, lon) pairs in radians."""
    s = (math.sin(a[0]) * math.sin(b[0]) +
         math.cos(a[0]) * math.cos(b[0]) * math.cos(a[1] - b[1]))
    return math.acos(max(-1.0, min(1.0, s)))


def read_tsv(name):
    with open(os.path.join(CATALOGUE, name), encoding='utf-8', newline='') as f:
        return list(csv.DictReader(f, delimiter='\t'))


def main():
    states = [r['code'] for r in read_tsv('states.tsv') if r['use'] == 'state']
    state_codes = set(states)
    zones_data = load('zones.gz')
    places_data = load('places.gz')

    # Zones of the catalogue's states with the county their correlation row names.
    census_counties = defaultdict(set)  # 'IL' -> name keys of its counties
    county_numbers = defaultdict(dict)  # 'IL' -> name key -> '031'
    for key in places_data.sections():
        if re.fullmatch(r'fips\d{5}', key):
            description = places_data[key]['description']
            state = description.rsplit(', ', 1)[1]
            census_counties[state].add(name_key(county_name(description)))
            county_numbers[state][name_key(county_name(description))] = key[-3:]

    zones = {}  # 'ILZ104' -> {'counties': [...], 'centroid': (lat, lon)}
    for key in zones_data.sections():
        m = re.fullmatch(r'([a-z]{2})z(\d{3})', key)
        if not m or m.group(1).upper() not in state_codes:
            continue
        parts = zones_data[key].get('description', '').split(', ')
        if len(parts) < 3 or not parts[-3].endswith(' County'):
            continue  # "Unknown zone in CA"
        state = m.group(1).upper()
        check_product_folders(key, zones_data[key])
        zones[key.upper()] = {'counties': [zone_county(parts, census_counties[state])],
                              'centroid': centroid(zones_data[key])}

    named = defaultdict(set)
    for code, zone in zones.items():
        named[code[:2]].update(name_key(c) for c in zone['counties'])
    for key in sorted(places_data.sections()):
        if not re.fullmatch(r'fips\d{5}', key):
            continue
        section = places_data[key]
        state = section['description'].rsplit(', ', 1)[1]
        name = county_name(section['description'])
        # Connecticut's planning regions replaced its counties in the census data only.
        if name.endswith(' PLANNING REGION') or state not in state_codes or name_key(name) in named[state]:
            continue
        here = centroid(section)
        candidates = [c for c in zones if c.startswith(state)]
        if not candidates:
            continue
        nearest = min(candidates, key=lambda c: (distance(here, zones[c]['centroid']), c))
        zones[nearest]['counties'].append(name)
        named[state].add(name_key(name))

    # Places in each zone: catalogue cities in tree order, then zip places by their zip count.
    catalogue_cities = defaultdict(list)
    weather_key = {}
    for row in read_tsv('us_places.tsv'):
        code = row['zone']
        catalogue_cities[code].append(capitals(row['city'].replace('_', ' ')))
        state = code[:2]
        path = 'US/%s/%s.html' % (state, row['city'])
        weather_key.setdefault(code, path)
    zip_places = defaultdict(Counter)
    zips_by_state = defaultdict(list)
    first_zip = {}
    for row in read_tsv('zips.tsv'):
        zips_by_state[row['state']].append(
            (row['zip'], math.radians(float(row['latitude'])),
             math.radians(float(row['longitude']))))
        if row['zone'][:2] != row['state']:
            continue  # a zip area across the state line
        zip_places[row['zone']][capitals(row['place'])] += 1
        first_zip.setdefault(row['zone'], row['zip'])

    county_names = defaultdict(set)  # 'IL' -> every county name its zones print
    for code, zone in zones.items():
        county_names[code[:2]].update(zone['counties'])

    rows = []
    for code in sorted(zones, key=lambda c: (states.index(c[:2]), c)):
        zone = zones[code]
        counties = zone['counties']
        other_counties = county_names[code[:2]] - set(counties)
        cities = []
        ranked = sorted(zip_places[code].items(), key=lambda kv: (-kv[1], kv[0]))
        for city in catalogue_cities[code] + [name for name, _ in ranked]:
            # A city whose name holds another zone's county would be found before that county.
            if city in cities or any(county in city for county in other_counties):
                continue
            cities.append(city)
            if len(cities) == CITIES_PER_ZONE:
                break
        key = weather_key.get(code) or first_zip.get(code)
        if key is None:
            # A zone with no zip area of its own follows the nearest zip of its state.
            key = min(zips_by_state[code[:2]],
                      key=lambda z: (distance(zone['centroid'], (z[1], z[2])), z[0]))[0]
        numbers = [county_numbers[code[:2]].get(name_key(c), '-') for c in counties]
        rows.append((code, ';'.join(counties), ';'.join(cities), key, ';'.join(numbers)))

    with open(OUT, 'w', encoding='ascii', newline='') as f:
        f.write('zone\tcounties\tcities\tweather\tcounty_numbers\n')
        for row in rows:
            f.write('\t'.join(row) + '\n')
    print('%d zones written to %s' % (len(rows), os.path.relpath(OUT, ROOT)))


if __name__ == '__main__':
    main()
