#include "locations/zip_codes.h"

#include "locations/catalogue.h"

#include <QFile>
#include <algorithm>
#include <vector>

namespace {

std::vector<ZipPlace> read_zips() {
    QFile file(QStringLiteral(":/locations/zips.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        throw CatalogueError(QStringLiteral("The catalogue file zips.tsv is missing."));
    std::vector<ZipPlace> zips;
    zips.reserve(34000);
    file.readLine(); // header
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split('\t');
        if (f.size() != 6)
            throw CatalogueError(
                QStringLiteral("The catalogue file zips.tsv has a malformed line."));
        zips.push_back({QString::fromUtf8(f[0]), QString::fromUtf8(f[1]), QString::fromUtf8(f[2]),
                        f[3].toDouble(), f[4].toDouble(), QString::fromUtf8(f[5])});
    }
    std::sort(zips.begin(), zips.end(),
              [](const ZipPlace& a, const ZipPlace& b) { return a.zip < b.zip; });
    return zips;
}

const std::vector<ZipPlace>& zips() {
    static const std::vector<ZipPlace> table = read_zips();
    return table;
}

} // namespace

std::optional<ZipPlace> lookup_zip(const QString& zip) {
    const std::vector<ZipPlace>& table = zips();
    const auto it =
        std::lower_bound(table.begin(), table.end(), zip,
                         [](const ZipPlace& row, const QString& key) { return row.zip < key; });
    if (it == table.end() || it->zip != zip)
        return std::nullopt;
    return *it;
}

const std::vector<ZipPlace>& zip_table() {
    return zips();
}

int zip_count() {
    return static_cast<int>(zips().size());
}
