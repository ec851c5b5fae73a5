#include "net/host_lookup.h"

#include "net/platform_socket.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QUrl>
#include <atomic>
#include <thread>

// A lookup on its way, touched only on the main thread; the lookup's thread just carries it.
struct PlatformHostLookup::Pending {
    QPointer<QObject> context;
    std::function<void(const HostAnswer&)> done;
};

namespace {

// Where the lookup threads leave their answers: an object of the main thread that is never
// deleted, so an answer that comes after its lookup was given up still has somewhere to go.
QObject& mailbox() {
    static QObject* const box = [] {
        auto* object = new QObject;
        if (QCoreApplication* application = QCoreApplication::instance())
            object->moveToThread(application->thread());
        return object;
    }();
    return *box;
}

std::atomic<int> next_id{1};

} // namespace

PlatformHostLookup::~PlatformHostLookup() {
    for (auto& [id, pending] : pending_)
        pending->done = nullptr;
}

int PlatformHostLookup::start(const QString& name, QObject* context,
                              std::function<void(const HostAnswer&)> done) {
    const int id = next_id.fetch_add(1);
    auto pending = std::make_shared<Pending>(Pending{context, std::move(done)});
    pending_[id] = pending;
    QObject* const box = &mailbox();
    // The name service takes names in ASCII: an international name goes in its ACE form.
    std::thread([id, ace = QUrl::toAce(name), pending, box] {
        HostAnswer answer{id, platform_socket::resolve_ipv4(ace)};
        QMetaObject::invokeMethod(
            box,
            [answer = std::move(answer), pending] {
                if (pending->context && pending->done)
                    pending->done(answer);
            },
            Qt::QueuedConnection);
    }).detach();
    return id;
}

void PlatformHostLookup::abort(int id) {
    const auto it = pending_.find(id);
    if (it == pending_.end())
        return;
    it->second->done = nullptr;
    pending_.erase(it);
}
