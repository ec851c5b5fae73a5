#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QObject;

// What a lookup found: the host's IPv4 addresses (host byte order); none when the name service
// knows the name not.
struct HostAnswer {
    int id = 0;
    QList<quint32> ipv4;
};

// Asynchronous host-name lookup whose answer arrives through the event loop.
class HostLookup {
public:
    virtual ~HostLookup() = default;
    // Starts looking up name; done runs later on the thread of context, unless context is gone
    // by then. Returns an id for abort().
    virtual int start(const QString& name, QObject* context,
                      std::function<void(const HostAnswer&)> done) = 0;
    // The lookup's answer, when it comes, is dropped.
    virtual void abort(int id) = 0;
};

// The platform's name service, asked on a thread of its own for each lookup (it may take
// seconds to answer); the answer comes back through the event loop of the program's main
// thread.
class PlatformHostLookup : public HostLookup {
public:
    ~PlatformHostLookup() override;
    int start(const QString& name, QObject* context,
              std::function<void(const HostAnswer&)> done) override;
    void abort(int id) override;

    struct Pending;

private:
    std::map<int, std::shared_ptr<Pending>> pending_;
};
