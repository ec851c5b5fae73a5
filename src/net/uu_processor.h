#pragma once

#include <QByteArray>
#include <functional>

// Encoder for binary data as text lines: base64 (uuMime) or uuencoding (uuCode). Input is
// taken in groups of 45 bytes per output line, each line ended by CR LF.
class TNMUUProcessor {
public:
    enum TUUMethod { uuMime, uuCode };

    TUUMethod Method = uuMime;
    std::function<void()> OnBeginEncode;
    std::function<void()> OnEndEncode;

    // The encoding of data as CR LF ended lines of at most 45 input bytes each.
    QByteArray Encode(const QByteArray& data) const;

    // The base64 encoding of data as one unbroken line (for an authorization header value).
    static QByteArray mime_one_line(const QByteArray& data);
};
