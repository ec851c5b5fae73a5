#include "platform/guarded.h"

#include "shared/app_error.h"
#include <QObject>
#include <QTimer>
#include <exception>

namespace {

// The ended background request unwinds within a turn or two of the event loop.
constexpr int retry_delay_ms = 10;

} // namespace

void run_guarded(Desktop& desktop, const std::function<void()>& command, QObject* retry_context) {
    try {
        command();
    } catch (const CommandRetry& retry) {
        if (!retry_context) {
            desktop.message(retry.message(), Desktop::Box::Error);
            return;
        }
        QTimer::singleShot(retry_delay_ms, retry_context, [&desktop, command, retry_context] {
            run_guarded(desktop, command, retry_context);
        });
    } catch (const AppError& error) {
        desktop.message(error.message(), Desktop::Box::Error);
    } catch (const std::exception& error) {
        desktop.message(QString::fromLocal8Bit(error.what()), Desktop::Box::Error);
    }
}
