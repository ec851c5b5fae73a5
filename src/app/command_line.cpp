#include "app/command_line.h"

#include "platform/settings_backend.h"
#include "settings/host_table.h"

#include <QCommandLineParser>

namespace {

const QString help_name = QStringLiteral("help");
const QString version_name = QStringLiteral("version");
const QString screenshot_name = QStringLiteral("screenshot");

} // namespace

CommandLine parse_command_line(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-reverse" is one unknown option, not -r -e -v ...: the letters would read as -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), help_name}));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), version_name}));
    parser.addOption(QCommandLineOption(screenshot_name, QString(), QStringLiteral("file")));
    // The parser reads every argument before it reports the first fault, so --help and
    // --version are seen beside options it does not know.
    const bool parsed =
        parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("nimbrix")} : arguments);
    CommandLine result;
    if (parser.isSet(help_name)) {
        result.action = CommandLine::Action::Help;
    } else if (parser.isSet(version_name)) {
        result.action = CommandLine::Action::Version;
    } else if (!parsed) {
        result.action = CommandLine::Action::Error;
        result.error = parser.errorText();
    } else if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Error;
        result.error = QStringLiteral("Unexpected argument '%1'.")
                           .arg(parser.positionalArguments().constFirst());
    } else {
        result.screenshot_file = parser.value(screenshot_name);
    }
    return result;
}

QString command_line_help() {
    QString text = QStringLiteral(
        "Usage: nimbrix [options]\n"
        "Nimbrix: a desktop weather client. Starting it while it runs brings the running\n"
        "program's window to the front.\n"
        "\n"
        "Options:\n"
        "  -h, --help     print this text and exit\n"
        "  -v, --version  print the version and exit\n"
        "\n"
        "Outside hosts (role: address in use; a value of that name in the settings group\n"
        "\"Hosts\" overrides the address):\n");
    for (const QString& role : host_roles())
        text += QStringLiteral("  %1: %2\n").arg(role, host_address(role));
    text += QStringLiteral("\nSettings: %1\n").arg(settings_backend::location());
    return text;
}

QString command_line_version() {
    return QStringLiteral("nimbrix " NIMBRIX_VERSION "\n");
}
