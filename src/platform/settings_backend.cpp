#include "platform/settings_backend.h"

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "platform/ini_file.h"
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
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

// An open file with a lock on the whole of it (flock: held per open file, so it also keeps
// apart two writers of one process, and it goes with the process that holds it).
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens the file, creating it for its owner only when asked; false with errno set when
    // that fails.
    bool open(const QString& path, bool create = true) {
        fd_ = ::open(QFile::encodeName(path).constData(),
                     O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
        return fd_ >= 0;
    }
    bool try_lock() { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }
    void release() {
        if (fd_ >= 0)
            ::close(fd_); // closing gives the lock back
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

constexpr std::chrono::milliseconds lock_wait{5000};

// Takes the store's lock for one write, waiting up to lock_wait. A writer first takes its
// place in the queue lock, then waits there for the store lock, and leaves the queue once it
// has it: a writer that has just written cannot take the store again while another one waits
// in the queue, so two writers that never pause take turns.
QString take_store_lock(FileLock& store) {
    FileLock queue;
    errno = 0;
    if (!queue.open(file_path() + QStringLiteral(".queue")) ||
        !store.open(file_path() + QStringLiteral(".lock")))
        return system_error();
    const QDeadlineTimer deadline(lock_wait);
    bool queued = false;
    for (;;) {
        if (!queued)
            queued = queue.try_lock();
        if (queued && store.try_lock())
            return QString();
        if (errno != EWOULDBLOCK && errno != EINTR)
            return system_error();
        if (deadline.hasExpired())
            return QStringLiteral("locked by another program");
        // A write takes milliseconds: the next in line finds the store free soon after.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A temporary file of the store: "Nimbrix.conf.", then six random letters and digits. Six
// small letters make a word ("Nimbrix.conf.backup"): that is the user's own copy.
bool is_temporary_name(const QString& name, const QString& prefix) {
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    bool word = true;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool small = c >= u'a' && c <= u'z';
        if (!small && !(c >= u'A' && c <= u'Z') && !(c >= u'0' && c <= u'9'))
            return false;
        word = word && small;
    }
    return !word;
}

// Removes what writers killed while writing left behind: temporary files of the store older
// than a minute that no living writer holds locked. Runs under the store lock.
void remove_stale_temporaries() {
    const QString prefix = QFileInfo(file_path()).fileName() + QLatin1Char('.');
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (const QFileInfo& info :
         QDir(config_dir()).entryInfoList({prefix + QStringLiteral("??????")}, QDir::Files)) {
        if (!is_temporary_name(info.fileName(), prefix) || info.lastModified() >= stale)
            continue;
        FileLock writer;
        if (writer.open(info.filePath(), false) && writer.try_lock())
            QFile::remove(info.filePath());
    }
}

// The file a write replaces: the store, or where the store's symbolic link leads (the link
// stays a link).
QString write_target() {
    QFileInfo target(file_path());
    for (int depth = 0; depth < 40 && target.isSymLink(); ++depth)
        target.setFile(target.symLinkTarget());
    return target.isSymLink() ? file_path() : target.filePath();
}

// Writes text to a new file beside the store (mode 0600, locked while it is written) and
// renames it over the store in one step, so a reader sees the old file or the new one whole.
QString replace_file(const QByteArray& text) {
    const QByteArray target = QFile::encodeName(write_target());
    QByteArray name = target + ".XXXXXX";
    errno = 0;
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return system_error();
    ::flock(fd, LOCK_EX);
    QString error;
    for (qsizetype done = 0; error.isEmpty() && done < text.size();) {
        const ssize_t n =
            ::write(fd, text.constData() + done, static_cast<size_t>(text.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0)
            error = QStringLiteral("cannot write the file");
        else if (errno != EINTR)
            error = system_error();
    }
    if (error.isEmpty() && ::fsync(fd) != 0)
        error = system_error();
    if (error.isEmpty() && ::rename(name.constData(), target.constData()) != 0)
        error = system_error();
    if (!error.isEmpty())
        ::unlink(name.constData());
    ::close(fd);
    return error;
}

// Read, change and replace the file under a lock, so two processes writing at once lose
// nothing. Returns why the file could not be written, or an empty text.
template <typename Change> QString modify(Change change) {
    errno = 0;
    if (!QDir().mkpath(config_dir()))
        return system_error();
    QFile::setPermissions(config_dir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    FileLock lock;
    if (const QString refusal = take_store_lock(lock); !refusal.isEmpty())
        return refusal;
    remove_stale_temporaries();

    IniDocument doc;
    QString reason;
    if (load(doc, &reason) == Load::Unreadable)
        return reason;
    if (!change(doc))
        return QString(); // nothing to write
    if (const QString error = replace_file(format_ini(doc)); !error.isEmpty())
        return error;
    QFile::setPermissions(write_target(), owner_only);
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
