#include "net/nm_url.h"

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray TNMURL::Decode(const QByteArray& data) const {
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '+') {
            out.append(' ');
        } else if (c == '%') {
            const int high = i + 1 < data.size() ? hex_value(data[i + 1]) : -1;
            const int low = i + 2 < data.size() ? hex_value(data[i + 2]) : -1;
            if (high < 0 || low < 0) {
                if (OnError)
                    OnError(QStringLiteral("Decode"), QStringLiteral("Error during decode"));
                return data;
            }
            out.append(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return out;
}
