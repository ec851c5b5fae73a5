#include "about/version_check.h"

#include "about/about_rules.h"
#include "net/nmhttp.h"
#include "net/request_kinds.h"
#include "net/sock_errors.h"
#include "platform/desktop.h"
#include "settings/host_table.h"
#include "shared/program_state.h"

void check_version(ProgramState& state, Desktop& desktop, TNMHTTP& client,
                   const std::function<void(const QString&)>& status, const QString& built_in) {
    client.claim();
    apply_request_kind(client, RequestKind::VersionCheck);
    client.Get(QStringLiteral("http://") + host_address(QStringLiteral("Maker")) +
               version_file_path);
    desktop.message(version_check_message(client.Body, built_in));
    status(QStringLiteral("Thank you for using Nimbrix..."));
    state.request_ok.clear();
}
