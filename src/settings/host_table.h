#pragma once

#include <QString>
#include <QStringList>

// Every outside host is a role with a compiled default address ("host" or "host:port"). A value
// named after the role in the settings group "Hosts" overrides it. The defaults point at
// nimbrix-host on this machine.
//
// Roles: "Conditions" (conditions host), "Maker" (maker's web host), the image hosts of the
// image catalogue ("PurdueWx", "PurdueAtmos", "TexasAM", "Yahoo", "WeatherBank", "Meteo",
// "UWM", "EarthWatch", "ClimateOutlook", "OutlookMaps", "Census" and one "Cam..." role per
// web camera), "NWS" (text products) and "CensusLookup" (census detail lookups).

// The roles known to the program, in table order.
QStringList host_roles();

// The compiled default of a role; empty for an unknown role.
QString default_host_address(const QString& role);

// The address in use: the "Hosts" override when one is stored and not blank, else the default.
QString host_address(const QString& role);

// "http://" + host_address(role) + "/".
QString host_root_url(const QString& role);
