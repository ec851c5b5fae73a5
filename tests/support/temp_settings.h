#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points the settings store at a fresh, empty folder for the life of the object
// (XDG_CONFIG_HOME), so a test never reads or writes the user's own settings.
class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    QString config_home() const { return dir_.path(); }
    QString file_path() const;
    QByteArray file_contents() const;
    void write_file(const QByteArray& contents) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool had_previous_;
};
