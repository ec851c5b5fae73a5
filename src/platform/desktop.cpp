#include "platform/desktop.h"

void open_url_or_tell(Desktop& desktop, const QString& url) {
    if (desktop.open_url(url))
        return;
    const QLatin1String mail("mailto:");
    if (url.startsWith(mail, Qt::CaseInsensitive))
        desktop.message(QStringLiteral("Cannot write to %1: no e-mail program is set up on this "
                                       "computer.")
                            .arg(url.mid(mail.size())),
                        Desktop::Box::Warning);
    else
        desktop.message(
            QStringLiteral("Cannot open %1: no web browser is set up on this computer.").arg(url),
            Desktop::Box::Warning);
}
