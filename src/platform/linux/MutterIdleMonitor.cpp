#include "MutterIdleMonitor.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");
// Start runs on the UI thread: a bus that does not answer must not freeze the window.
constexpr int kStartTimeoutMs = 100;
constexpr int kAnswerTimeoutMs = 10000;

QDBusMessage idletimeCall()
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                          QStringLiteral("GetIdletime"));
}

} // namespace

MutterIdleMonitor::MutterIdleMonitor(QDBusConnection bus) : bus_(std::move(bus)) {}

MutterIdleMonitor::~MutterIdleMonitor()
{
    stop();
}

bool MutterIdleMonitor::IsActivity(quint64 last, quint64 now)
{
    return now < last || now < quint64(kPeriodMs) * 3 / 2;
}

bool MutterIdleMonitor::start(std::function<void()> onActivity)
{
    if (context_) {
        onActivity_ = std::move(onActivity);
        return true;
    }
    if (!bus_.isConnected())
        return false;
    // The bus itself answers whether the monitor is there; the shell, which may be busy
    // drawing, is asked only without waiting.
    QDBusMessage has = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    has << kService;
    const QDBusMessage reply = bus_.call(has, QDBus::Block, kStartTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1 ||
        !reply.arguments().constFirst().toBool())
        return false;
    onActivity_ = std::move(onActivity);
    waiting_ = false;
    read_ = false;
    context_ = std::make_unique<QObject>();
    timer_ = new QTimer(context_.get());
    timer_->setInterval(kPeriodMs);
    QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { read(); });
    timer_->start();
    read();
    return true;
}

void MutterIdleMonitor::stop()
{
    if (context_) {
        // Later: stop() may run inside one of the context's own slots.
        timer_->stop();
        timer_ = nullptr;
        context_.release()->deleteLater();
    }
    onActivity_ = nullptr;
}

void MutterIdleMonitor::read()
{
    // One question at a time: a slow shell must not pile them up.
    if (waiting_)
        return;
    waiting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(idletimeCall(), kAnswerTimeoutMs),
                                                context_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context_.get(),
                     [this](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         waiting_ = false;
                         const QDBusPendingReply<quint64> reply = *w;
                         if (reply.isError()) {
                             // A slow answer is asked again; a shell that ended or
                             // restarted is left to the owner, which starts us again.
                             if (reply.error().type() != QDBusError::NoReply &&
                                 reply.error().type() != QDBusError::Timeout)
                                 stop();
                             return;
                         }
                         answered(reply.value());
                     });
}

void MutterIdleMonitor::answered(quint64 idleMs)
{
    const bool active = read_ ? IsActivity(last_, idleMs) : idleMs < quint64(kPeriodMs) * 3 / 2;
    read_ = true;
    last_ = idleMs;
    if (active && onActivity_) {
        auto onActivity = onActivity_;
        onActivity();
    }
}

} // namespace platform
