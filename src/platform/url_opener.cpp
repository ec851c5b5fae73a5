#include "platform/url_opener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

std::optional<bool> open_with_desktop_opener(const QString& url, int wait_ms) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return std::nullopt;
    QTemporaryDir folder;
    if (!folder.isValid())
        return QProcess::startDetached(opener, {url});
    // A shell runs the opener and writes its exit status and a line end into a file that is
    // watched here (with builtins alone, which need nothing found on the PATH); a status
    // written after the wait goes nowhere.
    const QString status = folder.filePath(QStringLiteral("status"));
    const QString script = QStringLiteral("\"$0\" \"$1\"; s=$?; { echo $s > \"$2\"; } 2>/dev/null");
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"), script, opener, url, status}))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < wait_ms) {
        QFile file(status);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray answer = file.readAll();
            if (answer.endsWith('\n'))
                return answer.trimmed() == "0";
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
    return true;
}
