// A second process for the settings store tests: "read SECTION NAME" prints the value,
// "write SECTION NAME VALUE" stores it (exit code 2 when the store refuses).
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("read")) {
        QTextStream(stdout) << read_setting(args[2], args[3]);
        return 0;
    }
    if (args.size() == 5 && args[1] == QLatin1String("write")) {
        try {
            write_setting(args[2], args[3], args[4]);
        } catch (const SettingsError&) {
            return 2;
        }
        return 0;
    }
    return 1;
}
