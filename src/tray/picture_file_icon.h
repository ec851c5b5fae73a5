#pragma once

#include <QIcon>
#include <QString>

// An icon of a picture file that is read when it is first drawn or asked about: the thirteen
// tray pictures are read when a conditions request picks one, not at every start.
QIcon picture_file_icon(const QString& file);
