#include "sample/maker_pages.h"

#include "locations/catalogue.h"
#include "sample/host_text.h"

#include <QMap>
#include <QUrl>

namespace {

QString link(const QString& path, const QString& text) {
    return QStringLiteral("<a href=\"") +
           QString::fromLatin1(QUrl::toPercentEncoding(path, "/?=_-.")) + QStringLiteral("\">") +
           html_escaped(text) + QStringLiteral("</a>");
}

struct StateCities {
    QString code;
    QStringList links;
};

// The US places of the catalogue by state name, in the catalogue's order within a state.
QMap<QString, StateCities> cities_by_state() {
    QMap<QString, StateCities> states;
    for (const CataloguePlace& place : catalogue_places()) {
        if (!place.us)
            continue;
        StateCities& state = states[place.parent];
        state.code = place.state_code;
        QString city = place.city;
        state.links << link(QLatin1Char('/') + place.request_path, city.replace(u'_', u' '));
    }
    return states;
}

} // namespace

QByteArray version_file_text(const QString& published_version) {
    return QByteArrayLiteral("Version#") + published_version.toLatin1();
}

QString home_page(const QString& published_version) {
    QString page = QStringLiteral(
        "<html>\n<head><title>Nimbrix</title></head>\n<body>\n<h1>Nimbrix</h1>\n"
        "<p>Nimbrix is a desktop weather client. Pick a city from its catalogue of continents, "
        "countries, states and provinces, or a US zip code, and it shows the current "
        "conditions: sky, temperature, humidity, pressure, wind, visibility, wind chill, heat "
        "index, sunrise, sunset, moonrise, moonset and the phase of the Moon, in English or "
        "metric units. It keeps up to 20 preset locations, refreshes every 40 minutes if you "
        "like, shows the sky in its tray icon, and fetches weather images and the weather "
        "service's text products.</p>\n");
    page += QStringLiteral("<p>The latest published version is ") +
            html_escaped(published_version) + QStringLiteral(" (") +
            link(QStringLiteral("/assets/nimbrixvs.txt"), QStringLiteral("version file")) +
            QStringLiteral("). Nimbrix by Corvalen.</p>\n");
    page += QStringLiteral(
        "<p>This server is nimbrix-host: it plays the outside hosts of Nimbrix on this machine "
        "with made-up sample data.</p>\n<h2>Examples</h2>\n<ul>\n");
    for (const char* path :
         {"/US/IL/Chicago.html", "/global/stations/07150.html",
          "/cgi-bin/findweather/getForecast?query=60601", "/assets/NimbrixCount.txt",
          "/assets/nimbrixvs.txt", "/iwin/IL/zone.html", "/iwin/IL/shortterm.html",
          "/iwin/IL/public.html", "/statab/ranks/pg20.txt", "/statab/ranks/pg18.txt",
          "/cdrom/lookup/CMD=RET/DB=C90STF3C1/LEV=STATE/SEL=17,Illinois/T=P1",
          "/cdrom/lookup/CMD=RET/DB=C90STF3B/LEV=ZIP/SEL=60601/T=P1"})
        page += QStringLiteral("<li>") + link(QLatin1String(path), QLatin1String(path)) +
                QStringLiteral("</li>\n");
    page += QStringLiteral("</ul>\n<h2>Conditions by state</h2>\n<p>");

    const QMap<QString, StateCities> states = cities_by_state();
    QStringList index;
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        index << QStringLiteral("<a href=\"#") + it->code + QStringLiteral("\">") +
                     html_escaped(QString(it.key()).replace(u'_', u' ')) + QStringLiteral("</a>");
    page += index.join(QStringLiteral(" |\n")) + QStringLiteral("</p>\n");
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        page += QStringLiteral("<h3 id=\"") + it->code + QStringLiteral("\">") +
                html_escaped(QString(it.key()).replace(u'_', u' ')) + QStringLiteral("</h3>\n<p>") +
                it->links.join(QStringLiteral(" |\n")) + QStringLiteral("</p>\n");
    }
    page += QStringLiteral("</body>\n</html>\n");
    return page;
}

std::optional<HostReply> maker_answer(const HostRequest& request,
                                      const QString& published_version) {
    if (request.path == u"/")
        return HostReply{200, conditions_content_type,
                         encode_windows_1252(home_page(published_version))};
    if (request.path == u"/assets/nimbrixvs.txt")
        return HostReply{200, maker_content_type, version_file_text(published_version)};
    return std::nullopt;
}
