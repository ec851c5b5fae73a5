#include "platform/guarded.h"

#include <QAbstractButton>
#include <QAction>
#include <QShortcut>

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

void connect_help_key(QWidget* window, Desktop& desktop, std::function<void()> handler) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, key,
                     [&desktop, handler = std::move(handler)] { run_guarded(desktop, handler); });
}
