#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Pictures turned into the bytes of real GIF and JPEG files.

// A GIF89a file: one frame gives a still picture; several frames give an animation that loops
// for ever (the NETSCAPE2.0 application extension) with delay_cs hundredths of a second per
// frame. All frames share one palette of at most 256 colours (the exact colours when there
// are that few, else a median cut of the frames' colours). The frames must all have the size
// of the first.
QByteArray gif_file(const QList<QImage>& frames, int delay_cs = 50);

// A baseline JPEG file of the picture at the given quality (1 to 100).
QByteArray jpeg_file(const QImage& image, int quality = 85);
