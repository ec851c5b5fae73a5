#include "sample/nws_zones.h"

#include <QFile>
#include <QHash>
#include <stdexcept>

namespace {

QHash<QString, std::vector<NwsZone>> read_zones() {
    QFile file(QStringLiteral(":/host/nws_zones.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The host data file nws_zones.tsv is missing.");
    QHash<QString, std::vector<NwsZone>> zones;
    file.readLine(); // header
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split('\t');
        if (f.size() != 5 || f[0].size() != 6)
            throw std::runtime_error("The host data file nws_zones.tsv has a malformed line.");
        const auto list = [](const QByteArray& field) {
            return QString::fromLatin1(field).split(u';', Qt::SkipEmptyParts);
        };
        NwsZone zone{QString::fromLatin1(f[0]), list(f[1]), list(f[2]), QString::fromLatin1(f[3]),
                     list(f[4])};
        if (zone.county_numbers.size() != zone.counties.size())
            throw std::runtime_error("The host data file nws_zones.tsv has a malformed line.");
        zones[zone.code.left(2)].push_back(std::move(zone));
    }
    return zones;
}

} // namespace

const std::vector<NwsZone>& nws_zones(const QString& state_code) {
    static const QHash<QString, std::vector<NwsZone>> table = read_zones();
    static const std::vector<NwsZone> none;
    const auto it = table.constFind(state_code);
    return it == table.constEnd() ? none : *it;
}

bool zone_named_by(const NwsZone& zone, const QString& code) {
    if (code.size() != 6 || !code.startsWith(zone.code.left(2)))
        return false;
    const QString number = code.mid(3);
    if (number == u"ALL")
        return true;
    if (code[2] == u'Z')
        return code == zone.code;
    return code[2] == u'C' && zone.county_numbers.contains(number);
}
