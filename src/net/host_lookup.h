#pragma once

#include <QHostInfo>
#include <QString>
#include <functional>

class QObject;

// Asynchronous host-name lookup whose answer arrives through the event loop.
class HostLookup {
public:
    virtual ~HostLookup() = default;
    // Starts looking up name; done runs later on the thread of context. Returns an id for
    // abort().
    virtual int start(const QString& name, QObject* context,
                      std::function<void(const QHostInfo&)> done) = 0;
    virtual void abort(int id) = 0;
};

// The platform's name service through QHostInfo.
class QtHostLookup : public HostLookup {
public:
    int start(const QString& name, QObject* context,
              std::function<void(const QHostInfo&)> done) override;
    void abort(int id) override;
};
