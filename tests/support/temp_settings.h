#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <vector>

// The store's write lock held as another writer holds it while it writes, until the object
// goes.
class HeldStoreLock {
public:
    explicit HeldStoreLock(const QString& lock_path);
    ~HeldStoreLock();
    HeldStoreLock(const HeldStoreLock&) = delete;
    HeldStoreLock& operator=(const HeldStoreLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// Points the settings store at a fresh, empty folder for the life of the object
// (XDG_CONFIG_HOME), so a test never reads or writes the user's own settings; the per-user
// cache and data folders (XDG_CACHE_HOME, XDG_DATA_HOME) go to fresh folders beside it.
class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    QString config_home() const { return dir_.path(); }
    QString cache_home() const { return dir_.path() + QStringLiteral("/cache"); }
    QString data_home() const { return dir_.path() + QStringLiteral("/data"); }
    QString file_path() const;
    QByteArray file_contents() const;
    void write_file(const QByteArray& contents) const;
    // Holds the store's lock: writes wait 5 s for it and are then refused.
    HeldStoreLock hold_lock() const;

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool was_set;
    };
    QTemporaryDir dir_;
    std::vector<Saved> saved_;
};
