// Prints the settings store's figures for two processes that each write 1,000 values at once:
//   settings.concurrent_writes_refused  writes refused as "locked by another program" (goal 0)
//   settings.concurrent_writes_lost     values written without a refusal that do not read back
//   settings.concurrent_time_ratio      time of the two writers at once / time of the same two
//                                       writers one after the other
// Started as "settings_bench --writer N" it is one writer: it prints how many of its writes
// were refused.
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
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
    qint64 ms = 0;
};

// Starts the two writers at once or one after the other on a fresh store, then reads every
// value back.
Round run_writers(const QString& program, bool at_once) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QProcess writers[2];
    QElapsedTimer clock;
    clock.start();
    for (int w = 0; w < 2; ++w) {
        writers[w].start(program, {QStringLiteral("--writer"), QString::number(w)});
        if (!at_once)
            writers[w].waitForFinished(-1);
    }
    Round round;
    for (QProcess& writer : writers) {
        writer.waitForFinished(-1);
        round.refused += writer.readAllStandardOutput().trimmed().toInt();
    }
    round.ms = clock.elapsed();
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

    const QString program = QCoreApplication::applicationFilePath();
    const Round one_after_other = run_writers(program, false);
    const Round at_once = run_writers(program, true);
    std::printf("settings.concurrent_writes_refused: %d\n", at_once.refused);
    std::printf("settings.concurrent_writes_lost: %d\n", at_once.lost + one_after_other.lost);
    std::printf("settings.concurrent_time_ratio: %.2f\n",
                static_cast<double>(at_once.ms) /
                    static_cast<double>(std::max<qint64>(1, one_after_other.ms)));
    return 0;
}
