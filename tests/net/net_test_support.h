#pragma once

#include "net/host_lookup.h"
#include "net/nmhttp.h"
#include <QString>
#include <QStringList>
#include <functional>

// A name service for tests: answers each lookup after delay_ms with the given addresses
// ("Host not found" when empty), or never when delay_ms is negative.
class ScriptedLookup : public HostLookup {
public:
    QStringList addresses{QStringLiteral("127.0.0.1")};
    int delay_ms = 0;
    QStringList names; // every name looked up, in order
    int aborted = 0;

    int start(const QString& name, QObject* context,
              std::function<void(const HostAnswer&)> done) override;
    void abort(int id) override;

private:
    int next_id_ = 1;
    QList<int> aborted_ids_;
};

// Records the client's events, one line each: "AboutToSend", "Status: Sending Buffer", ...
struct EventLog {
    QStringList lines;
    void attach(TNMHTTP& client);
    void attach_socket(TPowersock& client);
};

// Runs command after ms milliseconds from inside the event loop (a timer tick).
void after(int ms, std::function<void()> command);

// Message of the AppError that body throws, "" when none; anything else fails the test.
QString error_of(const std::function<void()>& body);

// An HTTP reply: the status line, the lines and the empty line, each ended by CR LF, then body.
QByteArray http_reply(const QByteArray& status, const QList<QByteArray>& lines,
                      const QByteArray& body = {});
