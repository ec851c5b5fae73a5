#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// URL decoding of form data: "+" becomes a blank and "%" with two hexadecimal digits the
// byte they give.
class TNMURL {
public:
    // Raised with the operation and "Error during decode" when a "%" is not followed by two
    // hexadecimal digits; the data is then used unchanged.
    std::function<void(const QString& Operation, const QString& ErrMsg)> OnError;

    QByteArray Decode(const QByteArray& data) const;
};
