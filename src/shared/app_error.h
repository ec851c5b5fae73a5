#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Base of the errors that end a command and reach the application's default error report,
// which shows message() in a box and keeps the program running.
class AppError : public std::exception {
public:
    explicit AppError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A command that found the program's client busy with a background request (the warning
// watch's check) and ended that request: the command runs again as soon as the request has
// unwound (run_guarded posts it anew), so the user is never refused for a background check.
class CommandRetry : public AppError {
public:
    using AppError::AppError;
};
