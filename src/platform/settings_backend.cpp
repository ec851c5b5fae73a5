#include "platform/settings_backend.h"

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "platform/ini_file.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#endif

namespace settings_backend {

#ifdef Q_OS_WIN

namespace {
const QString key_path = QStringLiteral("HKEY_CURRENT_USER\\Software\\Nimbrix");

// The registry matches value names without regard to case by itself.
} // namespace

QString location() {
    return key_path;
}

std::optional<QString> read_value(const QString& section, const QString& name) {
    QSettings registry(key_path, QSettings::NativeFormat);
    const QVariant v = registry.value(section + QLatin1Char('/') + name);
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

QString status_text(const QSettings& registry) {
    switch (registry.status()) {
    case QSettings::NoError:
        return QString();
    case QSettings::AccessError:
        return QStringLiteral("Permission denied");
    case QSettings::FormatError:
        return QStringLiteral("Format error");
    }
    return QStringLiteral("Unknown error");
}

QString write_value(const QString& section, const QString& name, const QString& value) {
    QSettings registry(key_path, QSettings::NativeFormat);
    registry.setValue(section + QLatin1Char('/') + name, value);
    registry.sync();
    return status_text(registry);
}

QString remove_section(const QString& section) {
    QSettings registry(key_path, QSettings::NativeFormat);
    registry.remove(section);
    registry.sync();
    return status_text(registry);
}

QString replace_section(const QString& section, const QList<QPair<QString, QString>>& values) {
    QSettings registry(key_path, QSettings::NativeFormat);
    registry.remove(section);
    for (const auto& [name, value] : values)
        registry.setValue(section + QLatin1Char('/') + name, value);
    registry.sync();
    return status_text(registry);
}

void set_unreadable_lines_hook(std::function<void()>) {} // the registry has no lines

#else

namespace {

QString config_dir() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Nimbrix");
}

QString file_path() {
    return config_dir() + QStringLiteral("/Nimbrix.conf");
}

std::function<void()>& unreadable_lines_hook() {
    static std::function<void()> hook;
    return hook;
}

enum class Load { Ok, Missing, Unreadable };

Load load(IniDocument& doc, QString* reason = nullptr) {
    QFile file(file_path());
    if (!file.exists())
        return Load::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return Load::Unreadable;
    }
    doc = parse_ini(file.readAll());
    if (doc.unreadable_lines > 0 && unreadable_lines_hook())
        unreadable_lines_hook()();
    return Load::Ok;
}

// The file holds the proxy password as typed: it is readable by its owner only.
constexpr QFileDevice::Permissions owner_only = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The system's text for the error a call just left behind ("Permission denied").
QString system_error() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Read, change and replace the file under a lock, so two processes writing at once lose
// nothing. The new text goes to a temporary file that replaces the old one in one rename.
// Returns why the file could not be written, or an empty text.
template <typename Change> QString modify(Change change) {
    errno = 0;
    if (!QDir().mkpath(config_dir()))
        return system_error();
    QFile::setPermissions(config_dir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QLockFile lock(file_path() + QStringLiteral(".lock"));
    lock.setStaleLockTime(5000); // a writer that died leaves its lock behind
    // Another writer holds the lock for milliseconds; a busy machine may make that seconds.
    errno = 0;
    if (!lock.tryLock(5000)) {
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            return QStringLiteral("locked by another program");
        case QLockFile::PermissionError:
            return QStringLiteral("Permission denied");
        default:
            return errno != 0 ? system_error() : QStringLiteral("cannot lock the file");
        }
    }

    IniDocument doc;
    QString reason;
    if (load(doc, &reason) == Load::Unreadable)
        return reason;
    if (!change(doc))
        return QString(); // nothing to write

    QSaveFile out(file_path());
    out.setDirectWriteFallback(false);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly))
        return out.error() == QFileDevice::PermissionsError ? QStringLiteral("Permission denied")
                                                            : out.errorString();
    out.setPermissions(owner_only);
    const QByteArray text = format_ini(doc);
    if (out.write(text) != text.size()) {
        const QString error = out.errorString();
        out.cancelWriting();
        return error;
    }
    if (!out.commit())
        return out.errorString();
    QFile::setPermissions(file_path(), owner_only);
    return QString();
}

} // namespace

QString location() {
    return file_path();
}

std::optional<QString> read_value(const QString& section, const QString& name) {
    IniDocument doc;
    if (load(doc) != Load::Ok)
        return std::nullopt;
    return doc.value(section, name);
}

QString write_value(const QString& section, const QString& name, const QString& value) {
    return modify([&](IniDocument& doc) {
        doc.set_value(section, name, value);
        return true;
    });
}

QString remove_section(const QString& section) {
    return modify([&](IniDocument& doc) { return doc.remove_group(section); });
}

QString replace_section(const QString& section, const QList<QPair<QString, QString>>& values) {
    return modify([&](IniDocument& doc) {
        doc.remove_group(section);
        for (const auto& [name, value] : values)
            doc.set_value(section, name, value);
        return true;
    });
}

void set_unreadable_lines_hook(std::function<void()> hook) {
    unreadable_lines_hook() = std::move(hook);
}

#endif

} // namespace settings_backend
