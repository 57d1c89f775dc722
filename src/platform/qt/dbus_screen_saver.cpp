#include "dbus_screen_saver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace vemra {

namespace {

// A screen-saver service that hangs must not hold up the computation.
constexpr int CallTimeoutMs = 2000;

QDBusMessage call(QDBusConnection& bus, const char* method, const QList<QVariant>& args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(QString::fromLatin1(DBusScreenSaver::Service),
                                                    QString::fromLatin1(DBusScreenSaver::Path),
                                                    QString::fromLatin1(DBusScreenSaver::Interface),
                                                    QString::fromLatin1(method));
    m.setArguments(args);
    return bus.call(m, QDBus::Block, CallTimeoutMs);
}

} // namespace

DBusScreenSaver::~DBusScreenSaver()
{
    setActive(true);
}

bool DBusScreenSaver::serviceAvailable() const
{
    if (!bus_.isConnected() || !bus_.interface())
        return false;
    const QDBusReply<bool> reply = bus_.interface()->isServiceRegistered(QString::fromLatin1(Service));
    return reply.isValid() && reply.value();
}

bool DBusScreenSaver::isActive()
{
    return cookie_ == 0 && serviceAvailable();
}

void DBusScreenSaver::setActive(bool active)
{
    if (active) {
        if (cookie_ == 0)
            return;
        call(bus_, "UnInhibit", {QVariant::fromValue(cookie_)});
        cookie_ = 0;
        return;
    }
    if (cookie_ != 0 || !serviceAvailable())
        return;
    const QDBusMessage reply
        = call(bus_, "Inhibit", {QStringLiteral("Vemra"), QStringLiteral("Berechnung läuft")});
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        cookie_ = reply.arguments().front().toUInt();
}

} // namespace vemra
