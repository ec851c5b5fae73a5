#include "support/temp_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

HeldStoreLock::HeldStoreLock(const QString& lock_path) {
    QDir().mkpath(QFileInfo(lock_path).path());
    fd_ = ::open(QFile::encodeName(lock_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
}

HeldStoreLock::~HeldStoreLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

TempSettings::TempSettings() {
    const struct {
        const char* name;
        QString folder;
    } homes[] = {{"XDG_CONFIG_HOME", config_home()},
                 {"XDG_CACHE_HOME", cache_home()},
                 {"XDG_DATA_HOME", data_home()}};
    for (const auto& home : homes) {
        saved_.push_back({home.name, qgetenv(home.name), qEnvironmentVariableIsSet(home.name)});
        qputenv(home.name, home.folder.toLocal8Bit());
    }
}

TempSettings::~TempSettings() {
    for (const Saved& saved : saved_) {
        if (saved.was_set)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
}

QString TempSettings::file_path() const {
    return dir_.path() + QStringLiteral("/Nimbrix/Nimbrix.conf");
}

HeldStoreLock TempSettings::hold_lock() const {
    return HeldStoreLock(file_path() + QStringLiteral(".lock"));
}

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
