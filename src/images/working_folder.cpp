#include "images/working_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString image_working_folder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

QString image_working_file(const QString& name) {
    return image_working_folder() + QLatin1Char('/') + name;
}
