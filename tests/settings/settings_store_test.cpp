#include "settings/settings_store.h"
#include "support/temp_settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

const QString S = QStringLiteral("Settings");
const QString L = QStringLiteral("Locations");

QString run_tool(const QStringList& args, int* exit_code = nullptr) {
    QProcess tool;
    tool.start(QStringLiteral(SETTINGS_TOOL), args);
    EXPECT_TRUE(tool.waitForFinished(10000));
    if (exit_code)
        *exit_code = tool.exitCode();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The store's file as its messages show it: the home folder as "~".
QString shown(const QString& path) {
    const QString home = QDir::homePath();
    return path.startsWith(home + QLatin1Char('/')) ? QLatin1Char('~') + path.mid(home.size())
                                                    : path;
}

class SettingsStore : public ::testing::Test {
protected:
    TempSettings store;
};

} // namespace

TEST_F(SettingsStore, FirstRunReadsAbsentAndCreatesNothing) {
    EXPECT_EQ(read_setting(S, QStringLiteral("StartupLoc")), QStringLiteral("n/a"));
    EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), QStringLiteral("n/a"));
    EXPECT_FALSE(QFile::exists(store.file_path()));
}

TEST_F(SettingsStore, WrittenValuesReadBackUnderAnyCaseOfTheirName) {
    const struct {
        const char* written;
        const char* read;
        const char* value;
    } rows[] = {
        {"Labelfcolor", "labelfcolor", "clRed"},
        {"Ffontsiz", "FfontSiz", "12"},
        {"StartupLoc", "STARTUPLOC", "Paris, France (O)"},
        {"Proxy", "proxy", "  blanks at both ends  "},
        {"ProxyPass", "PROXYPASS", "p@ss=wo\\rd;#\"quoted\""},
    };
    for (const auto& row : rows) {
        write_setting(S, QLatin1String(row.written), QString::fromUtf8(row.value));
        EXPECT_EQ(read_setting(S, QLatin1String(row.read)), QString::fromUtf8(row.value))
            << row.read;
    }
}

TEST_F(SettingsStore, WriteUnderAnotherCaseReplacesTheValueInsteadOfAddingOne) {
    write_setting(S, QStringLiteral("Labelfcolor"), QStringLiteral("clRed"));
    write_setting(S, QStringLiteral("labelfcolor"), QStringLiteral("clBlue"));
    EXPECT_EQ(read_setting(S, QStringLiteral("LABELFCOLOR")), QStringLiteral("clBlue"));
    EXPECT_EQ(store.file_contents().count("abelfcolor="), 1) << store.file_contents().toStdString();
}

TEST_F(SettingsStore, StoredNaReadsLikeAMissingValue) {
    store.write_file("[Settings]\nStartupLoc=n/a\n");
    EXPECT_EQ(read_setting(S, QStringLiteral("StartupLoc")), setting_absent);
}

TEST_F(SettingsStore, SectionsAreSeparateAndDeletionRemovesOnlyOne) {
    write_setting(L, QStringLiteral("loc0"), QStringLiteral("Austin, TX"));
    write_setting(L, QStringLiteral("loc1"), QStringLiteral("Cairo, Egypt (O)"));
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("y"));
    EXPECT_EQ(read_setting(S, QStringLiteral("loc0")), setting_absent);

    delete_setting_section(L);
    EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), setting_absent);
    EXPECT_EQ(read_setting(L, QStringLiteral("loc1")), setting_absent);
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("y"));

    EXPECT_NO_THROW(delete_setting_section(L)); // missing section
    EXPECT_NO_THROW(delete_setting_section(QStringLiteral("Never")));
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("y"));
}

TEST_F(SettingsStore, FileIsReadableByItsOwnerOnlyAfterEveryWrite) {
    write_setting(S, QStringLiteral("ProxyPass"), QStringLiteral("secret"));
    const auto owner_only = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                        QFileDevice::WriteOther | QFileDevice::ExeOther | QFileDevice::ExeGroup;
    EXPECT_EQ(QFile::permissions(store.file_path()) & (owner_only | others), owner_only);

    // A file widened by other means is narrowed again by the next write.
    QFile::setPermissions(store.file_path(),
                          owner_only | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("n"));
    EXPECT_EQ(QFile::permissions(store.file_path()) & (owner_only | others), owner_only);
}

TEST_F(SettingsStore, UnreadableLinesAreToldOnceAndKept) {
    // A line without "=", a value before the first group, a Latin-1 byte typed by hand and a
    // path with backslashes: the readable lines are read, the rest stays as it was.
    const QByteArray file("Orphan=1\n[Settings]\nStartupLoc=C:\\temp\njust words\n"
                          "Proxy=M\xfcnchen\n[Locations]\nloc0=Austin, TX\n");
    store.write_file(file);
    QStringList told;
    set_settings_notice([&told](const QString& text) { told << text; });
    EXPECT_EQ(read_setting(S, QStringLiteral("StartupLoc")), QStringLiteral("C:\\temp"));
    EXPECT_EQ(read_setting(S, QStringLiteral("Proxy")), QStringLiteral("M\u00fcnchen"));
    EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), QStringLiteral("Austin, TX"));
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("y"));
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("y"));
    set_settings_notice(nullptr);
    EXPECT_EQ(told, QStringList{settings_unreadable_message});

    const QByteArray written = store.file_contents();
    EXPECT_TRUE(written.startsWith("Orphan=1\n")) << written.toStdString();
    EXPECT_TRUE(written.contains("\njust words\n")) << written.toStdString();
    EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), QStringLiteral("Austin, TX"));
    EXPECT_EQ(read_setting(S, QStringLiteral("StartupLoc")), QStringLiteral("C:\\temp"));
    EXPECT_TRUE(QDir(store.config_home() + QStringLiteral("/Nimbrix"))
                    .entryList({QStringLiteral("Nimbrix.conf.*")})
                    .filter(QStringLiteral("corrupt"))
                    .isEmpty());
}

TEST_F(SettingsStore, AWriterWaitsForAnotherWritersLock) {
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("y"));
    std::promise<void> locked;
    std::thread other([this, &locked] {
        const HeldStoreLock lock = store.hold_lock();
        ASSERT_TRUE(lock.held());
        locked.set_value();
        // Another process's write that takes a while on a busy machine.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    });
    locked.get_future().wait();
    EXPECT_NO_THROW(write_setting(S, QStringLiteral("Metric"), QStringLiteral("n")));
    other.join();
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("n"));
}

TEST_F(SettingsStore, AWriterThatNeverPausesLetsTheOtherOneIn) {
    // A large store: each write keeps the lock for a good while and frees it for an instant.
    QByteArray bulk = "[Bulk]\n";
    for (int i = 0; i < 3000; ++i)
        bulk += "value" + QByteArray::number(i) + "=a value of some length\n";
    store.write_file(bulk);
    // Another writer writes back to back; this one's write comes in between, not refused.
    std::atomic<int> written{0};
    std::atomic<bool> done{false};
    std::thread other([&] {
        while (!done)
            write_setting(S, QStringLiteral("Other"), QString::number(++written));
    });
    while (written < 3)
        std::this_thread::yield();
    EXPECT_NO_THROW(write_setting(S, QStringLiteral("Mine"), QStringLiteral("mine")));
    done = true;
    other.join();
    EXPECT_EQ(read_setting(S, QStringLiteral("Mine")), QStringLiteral("mine"));
    EXPECT_EQ(read_setting(S, QStringLiteral("Other")), QString::number(written));
}

TEST_F(SettingsStore, AWriteRemovesTemporaryFilesThatKilledWritersLeft) {
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("y"));
    const QString folder = store.config_home() + QStringLiteral("/Nimbrix/");
    const QDateTime now = QDateTime::currentDateTime();
    const struct {
        const char* name;
        int age_s;
        bool writing; // a living writer holds it
        bool stays;
    } rows[] = {
        {"Nimbrix.conf.Ab12Cd", 120, false, false}, {"Nimbrix.conf.qrstuV", 61, false, false},
        {"Nimbrix.conf.Xy34Zw", 30, false, true},   {"Nimbrix.conf.Qr56St", 120, true, true},
        {"Nimbrix.conf.backup", 120, false, true},  {"Nimbrix.conf.Ab12Cd7", 120, false, true},
        {"Other.conf.Ab12Cd", 120, false, true},
    };
    std::vector<std::unique_ptr<HeldStoreLock>> writers;
    for (const auto& row : rows) {
        QFile file(folder + QLatin1String(row.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.write("[Settings]\nMetr") > 0 && file.flush());
        ASSERT_TRUE(file.setFileTime(now.addSecs(-row.age_s), QFileDevice::FileModificationTime));
        if (row.writing)
            writers.push_back(std::make_unique<HeldStoreLock>(file.fileName()));
    }
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("n"));
    for (const auto& row : rows)
        EXPECT_EQ(QFile::exists(folder + QLatin1String(row.name)), row.stays) << row.name;
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("n"));
}

TEST_F(SettingsStore, RefusedWriteRaisesTheStoreErrorAndLosesNothing) {
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("y"));
    write_setting(L, QStringLiteral("loc0"), QStringLiteral("Austin, TX"));
    const QByteArray before = store.file_contents();

    // Another writer keeps its lock for longer than a write waits.
    const HeldStoreLock lock = store.hold_lock();
    ASSERT_TRUE(lock.held());
    try {
        write_setting(S, QStringLiteral("labelcolor"), QStringLiteral("clRed"));
        FAIL() << "the write should have been refused";
    } catch (const SettingsError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Failed to set data for 'labelcolor' (") +
                                       shown(store.file_path()) +
                                       QStringLiteral(": locked by another program)"));
    }
    EXPECT_EQ(store.file_contents(), before);
    EXPECT_EQ(read_setting(S, QStringLiteral("labelcolor")), setting_absent);
    EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), QStringLiteral("Austin, TX"));
}

TEST_F(SettingsStore, UnreadableStoreReadsAbsentAndRefusesWrites) {
    ASSERT_TRUE(QDir().mkpath(store.file_path())); // a folder where the file should be
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), setting_absent);
    EXPECT_THROW(write_setting(S, QStringLiteral("Metric"), QStringLiteral("y")), SettingsError);
    EXPECT_THROW(delete_setting_section(L), SettingsError);
}

TEST_F(SettingsStore, ARefusedWriteNamesTheFileAndTheReason) {
    const QString folder = store.config_home() + QStringLiteral("/Nimbrix");
    ASSERT_TRUE(QDir().mkpath(folder));
    // A folder the user may not write to (root may write anywhere: there a file stands where
    // the folder should be).
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_TRUE(QDir(folder).removeRecursively());
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    } else {
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    try {
        write_setting(L, QStringLiteral("loc1"), QStringLiteral("Austin, TX"));
        FAIL() << "the write should have been refused";
    } catch (const SettingsError& error) {
        const QString start =
            QStringLiteral("Failed to set data for 'loc1' (") + shown(store.file_path()) + ": ";
        EXPECT_TRUE(error.message().startsWith(start)) << error.message().toStdString();
        EXPECT_TRUE(error.message().endsWith(root ? QStringLiteral("File exists)")
                                                  : QStringLiteral("Permission denied)")))
            << error.message().toStdString();
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(SettingsStore, ASecondProcessSeesEveryWriteAtOnce) {
    for (int round = 0; round < 5; ++round) {
        const QString mine = QStringLiteral("from this process %1").arg(round);
        write_setting(S, QStringLiteral("StartupLoc"), mine);
        EXPECT_EQ(run_tool({QStringLiteral("read"), S, QStringLiteral("startuploc")}), mine);

        const QString theirs = QStringLiteral("from the other process %1").arg(round);
        int code = -1;
        run_tool({QStringLiteral("write"), S, QStringLiteral("STARTUPLOC"), theirs}, &code);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(read_setting(S, QStringLiteral("StartupLoc")), theirs);
    }
    EXPECT_EQ(store.file_contents().count("tartup"), 1);
}
