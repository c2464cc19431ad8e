#include "CodeIdentity.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>

namespace demodisc {

QByteArray CodeIdentity() {
    static const QByteArray id = [] {
        QFile self(QCoreApplication::applicationFilePath());
        if (!self.open(QIODevice::ReadOnly)) return QByteArray("unknown");
        QCryptographicHash h(QCryptographicHash::Sha1);
        h.addData(&self);
        return h.result().toHex();
    }();
    return id;
}

} // namespace demodisc
