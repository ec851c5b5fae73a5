#include "support/temp_settings.h"

#include <QDir>
#include <QFile>

TempSettings::TempSettings()
    : previous_(qgetenv("XDG_CONFIG_HOME")), had_previous_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
}

TempSettings::~TempSettings() {
    if (had_previous_)
        qputenv("XDG_CONFIG_HOME", previous_);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TempSettings::file_path() const { return dir_.path() + QStringLiteral("/Nimbrix/Nimbrix.conf"); }

QByteArray TempSettings::file_contents() const {
    QFile file(file_path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TempSettings::write_file(const QByteArray& contents) const {
    QDir().mkpath(dir_.path() + QStringLiteral("/Nimbrix"));
    QFile file(file_path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}
