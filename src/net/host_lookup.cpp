#include "net/host_lookup.h"

int QtHostLookup::start(const QString& name, QObject* context,
                        std::function<void(const QHostInfo&)> done) {
    return QHostInfo::lookupHost(name, context, std::move(done));
}

void QtHostLookup::abort(int id) {
    QHostInfo::abortHostLookup(id);
}
