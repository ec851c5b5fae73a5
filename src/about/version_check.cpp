#include "about/version_check.h"

#include "about/about_rules.h"
#include "app/program_state.h"
#include "net/nmhttp.h"
#include "net/sock_errors.h"
#include "platform/desktop.h"
#include "settings/host_table.h"

void check_version(ProgramState& state, Desktop& desktop, TNMHTTP& client,
                   const std::function<void(const QString&)>& status, const QString& built_in) {
    if (client.busy())
        throw ESockError(QStringLiteral("Already connected"));
    client.TimeOut = 60000;
    client.InputFileMode = false;
    client.OutputFileMode = false;
    client.ReportLevel = 2;
    client.HeaderInfo.Referer = QStringLiteral("Nimbrix by Corvalen");
    client.Get(QStringLiteral("http://") + host_address(QStringLiteral("Maker")) +
               version_file_path);
    desktop.message(version_check_message(client.Body, built_in));
    status(QStringLiteral("Thank you for using Nimbrix..."));
    state.request_ok.clear();
}
