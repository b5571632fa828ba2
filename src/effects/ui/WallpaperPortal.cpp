#include "effects/ui/WallpaperPortal.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QVariantMap>

namespace {
const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString ObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString WallpaperInterface = QStringLiteral("org.freedesktop.portal.Wallpaper");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Receives the request's Response signal on the calling thread.
class ResponseWaiter : public QObject {
    Q_OBJECT
public:
    bool answered = false;
    uint response = 2;
signals:
    void done();
public slots:
    void onResponse(uint code, const QVariantMap &)
    {
        answered = true;
        response = code;
        emit done();
    }
};

// The portal names a request's object after the caller and the token it
// was given, so the answer can be listened for before the call is made.
QString requestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService().mid(1);   // ":1.42" -> "1_42"
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/request/%2/%3").arg(ObjectPath, sender, token);
}

bool listen(QDBusConnection &bus, const QString &path, ResponseWaiter *waiter, bool on)
{
    return on ? bus.connect(Service, path, RequestInterface, QStringLiteral("Response"), waiter,
                            SLOT(onResponse(uint, QVariantMap)))
              : bus.disconnect(Service, path, RequestInterface, QStringLiteral("Response"), waiter,
                               SLOT(onResponse(uint, QVariantMap)));
}
} // namespace

PortalAnswer setWallpaperThroughPortal(const QString &uri, int waitMs)
{
    PortalAnswer answer;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return answer;

    // Asking for the interface's version starts a portal that is only
    // activatable and tells whether it offers wallpapers at all.
    QDBusMessage probe = QDBusMessage::createMethodCall(Service, ObjectPath,
                                                        QStringLiteral("org.freedesktop.DBus.Properties"),
                                                        QStringLiteral("Get"));
    probe << WallpaperInterface << QStringLiteral("version");
    if (bus.call(probe, QDBus::Block, 10000).type() != QDBusMessage::ReplyMessage)
        return answer;

    answer.outcome = PortalAnswer::Outcome::NotSet;
    const QString token = QStringLiteral("glintwave%1").arg(QRandomGenerator::global()->generate());
    ResponseWaiter waiter;
    QString path = requestPath(bus, token);
    listen(bus, path, &waiter, true);

    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, WallpaperInterface,
                                                       QStringLiteral("SetWallpaperURI"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("show-preview"), false},
                              {QStringLiteral("set-on"), QStringLiteral("background")}};
    call << QString() << uri << options;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 30000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        listen(bus, path, &waiter, false);
        answer.message = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return answer;
    }
    // Portals older than the token scheme pick a path of their own.
    const QString given = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!given.isEmpty() && given != path) {
        listen(bus, path, &waiter, false);
        path = given;
        listen(bus, path, &waiter, true);
    }

    if (!waiter.answered) {
        QEventLoop loop;
        QObject::connect(&waiter, &ResponseWaiter::done, &loop, &QEventLoop::quit);
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    listen(bus, path, &waiter, false);

    if (!waiter.answered)
        answer.message = QStringLiteral("the desktop portal did not answer");
    else if (waiter.response == 0)
        answer.outcome = PortalAnswer::Outcome::Set;
    else if (waiter.response == 1)
        answer.message = QStringLiteral("it was cancelled");
    else
        answer.message = QStringLiteral("the desktop portal refused it");
    return answer;
}

#include "WallpaperPortal.moc"
