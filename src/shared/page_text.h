#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Pages from the hosts are Windows-1252: one byte, one character. Bytes 0x80 to 0x9F are the
// code page's own characters (0x93 a left double quote); its five unassigned bytes keep their
// Latin-1 code points, so no byte is ever lost.
QString decode_windows_1252(QByteArrayView bytes);

// Text as Windows-1252 bytes, one byte per character; a character the code page lacks becomes
// "?" (decode_windows_1252 reads the bytes back to the same text).
QByteArray encode_windows_1252(const QString& text);
