#pragma once

#include <QString>

// The HTTP client's proxy properties the proxy settings step sets: Proxy, ProxyPort and its
// HeaderInfo's UserId and Password.
struct ProxyProperties {
    QString& Proxy;
    int& ProxyPort;
    QString& UserId;
    QString& Password;
};

// Hands the stored proxy settings to the client when "ProxyUse" is "y": "Proxy",
// "ProxyPort" (as a whole number), "ProxyUserid" and "ProxyPass", each only when stored. A
// stored port that is not a whole number raises ConversionError after "Proxy" was applied.
// Any other "ProxyUse" takes the proxy, its port and its user and password off the client.
void process_proxy_info(const ProxyProperties& client);
