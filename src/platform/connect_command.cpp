#include "platform/guarded.h"

#include <QAbstractButton>
#include <QAction>

void connect_command(QAction* action, Desktop& desktop, std::function<void()> handler) {
    QObject::connect(action, &QAction::triggered, action,
                     [&desktop, action, handler = std::move(handler)] {
                         run_guarded(desktop, handler, action);
                     });
}

void connect_command(QAbstractButton* button, Desktop& desktop, std::function<void()> handler) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [&desktop, button, handler = std::move(handler)] {
                         run_guarded(desktop, handler, button);
                     });
}
