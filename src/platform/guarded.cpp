#include "platform/guarded.h"

#include "shared/app_error.h"
#include <exception>

void run_guarded(Desktop& desktop, const std::function<void()>& command) {
    try {
        command();
    } catch (const AppError& error) {
        desktop.message(error.message(), Desktop::Box::Error);
    } catch (const std::exception& error) {
        desktop.message(QString::fromLocal8Bit(error.what()), Desktop::Box::Error);
    }
}
