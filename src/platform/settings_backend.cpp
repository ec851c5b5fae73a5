#include "platform/settings_backend.h"

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "platform/ini_file.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#endif

namespace settings_backend {

#ifdef Q_OS_WIN

namespace {
const QString key_path = QStringLiteral("HKEY_CURRENT_USER\\Software\\Nimbrix");

// The registry matches value names without regard to case by itself.
} // namespace

QString location() { return key_path; }

std::optional<QString> read_value(const QString& section, const QString& name) {
    QSettings registry(key_path, QSettings::NativeFormat);
    const QVariant v = registry.value(section + QLatin1Char('/') + name);
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

bool write_value(const QString& section, const QString& name, const QString& value) {
    QSettings registry(key_path, QSettings::NativeFormat);
    registry.setValue(section + QLatin1Char('/') + name, value);
    registry.sync();
    return registry.status() == QSettings::NoError;
}

bool remove_section(const QString& section) {
    QSettings registry(key_path, QSettings::NativeFormat);
    registry.remove(section);
    registry.sync();
    return registry.status() == QSettings::NoError;
}

bool replace_section(const QString& section, const QList<QPair<QString, QString>>& values) {
    QSettings registry(key_path, QSettings::NativeFormat);
    registry.remove(section);
    for (const auto& [name, value] : values)
        registry.setValue(section + QLatin1Char('/') + name, value);
    registry.sync();
    return registry.status() == QSettings::NoError;
}

#else

namespace {

QString config_dir() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Nimbrix");
}

QString file_path() { return config_dir() + QStringLiteral("/Nimbrix.conf"); }

enum class Load { Ok, Missing, Unreadable, Corrupt };

Load load(IniDocument& doc) {
    QFile file(file_path());
    if (!file.exists())
        return Load::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return Load::Unreadable;
    auto parsed = parse_ini(file.readAll());
    if (!parsed)
        return Load::Corrupt;
    doc = std::move(*parsed);
    return Load::Ok;
}

// The file holds the proxy password as typed: it is readable by its owner only.
constexpr QFileDevice::Permissions owner_only = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Read, change and replace the file under a lock, so two processes writing at once lose
// nothing. The new text goes to a temporary file that replaces the old one in one rename.
template <typename Change> bool modify(Change change) {
    if (!QDir().mkpath(config_dir()))
        return false;
    QFile::setPermissions(config_dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    QLockFile lock(file_path() + QStringLiteral(".lock"));
    lock.setStaleLockTime(5000); // a writer that died leaves its lock behind
    if (!lock.tryLock(1000)) // another writer holds it for milliseconds only
        return false;

    IniDocument doc;
    switch (load(doc)) {
    case Load::Ok:
    case Load::Missing: break;
    case Load::Unreadable: return false;
    case Load::Corrupt: {
        // Keep the unreadable file for the user instead of overwriting it.
        const QString aside = file_path() + QStringLiteral(".corrupt-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
        if (!QFile::rename(file_path(), aside))
            return false;
        break;
    }
    }
    if (!change(doc))
        return true; // nothing to write

    QSaveFile out(file_path());
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(owner_only);
    const QByteArray text = format_ini(doc);
    if (out.write(text) != text.size()) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return false;
    QFile::setPermissions(file_path(), owner_only);
    return true;
}

} // namespace

QString location() { return file_path(); }

std::optional<QString> read_value(const QString& section, const QString& name) {
    IniDocument doc;
    if (load(doc) != Load::Ok)
        return std::nullopt;
    return doc.value(section, name);
}

bool write_value(const QString& section, const QString& name, const QString& value) {
    return modify([&](IniDocument& doc) {
        doc.set_value(section, name, value);
        return true;
    });
}

bool remove_section(const QString& section) {
    return modify([&](IniDocument& doc) { return doc.remove_group(section); });
}

bool replace_section(const QString& section, const QList<QPair<QString, QString>>& values) {
    return modify([&](IniDocument& doc) {
        doc.remove_group(section);
        for (const auto& [name, value] : values)
            doc.set_value(section, name, value);
        return true;
    });
}

#endif

} // namespace settings_backend
