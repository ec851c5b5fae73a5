// Prints the settings store's figures for two processes that each write 1,000 values at once:
//   settings.concurrent_writes_refused  writes refused as "locked by another program" (goal 0)
//   settings.concurrent_writes_lost     values written without a refusal that do not read back
//                                       (goal 0)
// Started as "settings_bench --writer N" it is one writer: it prints how many of its writes
// were refused.
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

constexpr int writes_per_writer = 1000;
const QString section = QStringLiteral("Settings");

QString name_of(int writer, int i) {
    return QStringLiteral("w%1_%2").arg(writer).arg(i);
}

int run_writer(int writer) {
    int refused = 0;
    for (int i = 0; i < writes_per_writer; ++i) {
        try {
            write_setting(section, name_of(writer, i), QStringLiteral("value %1").arg(i));
        } catch (const SettingsError&) {
            ++refused;
        }
    }
    QTextStream(stdout) << refused << Qt::endl;
    return 0;
}

struct Round {
    int refused = 0;
    int lost = 0; // written without a refusal, yet not read back
};

// Starts the two writers at once on a fresh store, then reads every value back.
Round run_writers(const QString& program) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QProcess writers[2];
    for (int w = 0; w < 2; ++w)
        writers[w].start(program, {QStringLiteral("--writer"), QString::number(w)});
    Round round;
    for (QProcess& writer : writers) {
        writer.waitForFinished(-1);
        round.refused += writer.readAllStandardOutput().trimmed().toInt();
    }
    int missing = 0;
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < writes_per_writer; ++i)
            if (read_setting(section, name_of(w, i)) != QStringLiteral("value %1").arg(i))
                ++missing;
    round.lost = missing - round.refused;
    return round;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--writer"))
        return run_writer(args[2].toInt());

    const Round round = run_writers(QCoreApplication::applicationFilePath());
    std::printf("settings.concurrent_writes_refused: %d\n", round.refused);
    std::printf("settings.concurrent_writes_lost: %d\n", round.lost);
    return 0;
}
