#include "KWinScriptWindows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <unistd.h>

namespace platform {

namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScriptingPath = QStringLiteral("/Scripting");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
const QString kOurPath = QStringLiteral("/app/quorlin/KWinWindows");
const QString kOurInterface = QStringLiteral("app.quorlin.KWinWindows");

// A close script that has not answered in this time is taken as lost and unloaded.
constexpr qint64 kCloseAnswerMs = 5000;

// The same script works with KWin 5 (clients) and KWin 6 (windows). A caption may carry a
// number KWin adds to tell equal titles apart; the plain caption is the one we match.
const char* const kCommon = R"JS(
var service = %1, path = %2, iface = %3;
function all() { return workspace.windowList ? workspace.windowList() : workspace.clientList(); }
function title(w) { return String(w.captionNormal !== undefined ? w.captionNormal : w.caption); }
)JS";

const char* const kWatch = R"JS(
function report(gone) {
    var list = all(), titles = [];
    for (var i = 0; i < list.length; ++i)
        if (list[i] !== gone)
            titles.push(title(list[i]));
    callDBus(service, path, iface, "Captions", JSON.stringify(titles));
}
function watch(w) { w.captionChanged.connect(function () { report(null); }); }
var present = all();
for (var i = 0; i < present.length; ++i)
    watch(present[i]);
(workspace.windowAdded || workspace.clientAdded).connect(function (w) { watch(w); report(null); });
(workspace.windowRemoved || workspace.clientRemoved).connect(function (w) { report(w); });
report(null);
)JS";

const char* const kClose = R"JS(
var wanted = %1, request = %2;
var list = all(), closed = [];
for (var t = 0; t < wanted.length; ++t) {
    for (var i = 0; i < list.length; ++i) {
        if (title(list[i]) === wanted[t] || String(list[i].caption) === wanted[t]) {
            list[i].closeWindow();
            closed.push(wanted[t]);
            break;
        }
    }
}
callDBus(service, path, iface, "Closed", request, JSON.stringify(closed));
)JS";

QString scriptString(const QString& text)
{
    return KWinScriptWindows::ScriptArray({text}).mid(1).chopped(1);
}

QString common(const QString& service)
{
    return QString::fromLatin1(kCommon).arg(scriptString(service), scriptString(kOurPath),
                                            scriptString(kOurInterface));
}

QStringList fromJson(const QString& json)
{
    QStringList out;
    for (const QJsonValue& v : QJsonDocument::fromJson(json.toUtf8()).array())
        out << v.toString();
    return out;
}

QDBusMessage scripting(const QString& method, const QVariantList& args = {})
{
    QDBusMessage msg = QDBusMessage::createMethodCall(kKWin, kScriptingPath, kScripting, method);
    msg.setArguments(args);
    return msg;
}

} // namespace

QString KWinScriptWindows::ScriptArray(const QStringList& texts)
{
    QString out = QStringLiteral("[");
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            out += u',';
        out += u'"';
        for (const QChar c : texts[i]) {
            const char16_t u = c.unicode();
            if (u >= 0x20 && u < 0x7f && u != u'"' && u != u'\\')
                out += c;
            else
                out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        }
        out += u'"';
    }
    return out + u']';
}

QString KWinScriptWindows::WatchScript(const QString& service)
{
    return QStringLiteral("(function () {") + common(service) + QString::fromLatin1(kWatch) +
           QStringLiteral("})();\n");
}

QString KWinScriptWindows::CloseScript(const QString& service, const QString& request,
                                       const QStringList& titles)
{
    return QStringLiteral("(function () {") + common(service) +
           QString::fromLatin1(kClose).arg(ScriptArray(titles), scriptString(request)) +
           QStringLiteral("})();\n");
}

KWinScriptWindows::KWinScriptWindows(QString busAddress)
    : bus_(QStringLiteral("kwin-windows"), std::move(busAddress)),
      watchPlugin_(QStringLiteral("quorlin-windows-%1").arg(::getpid()))
{
    clock_.start();
}

KWinScriptWindows::~KWinScriptWindows()
{
    if (!watching_ && pending_.isEmpty())
        return;
    // Our scripts would go on calling a name that is gone.
    QDBusConnection bus = bus_.Connection();
    if (watching_)
        bus.call(scripting(QStringLiteral("unloadScript"), {watchPlugin_}), QDBus::Block,
                 kDesktopCallMs);
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it)
        bus.call(scripting(QStringLiteral("unloadScript"), {it.key()}), QDBus::Block,
                 kDesktopCallMs);
}

bool KWinScriptWindows::available()
{
    return bus_.Has(kKWin);
}

void KWinScriptWindows::KWinChanged()
{
    // A KWin that restarted has none of our scripts.
    watching_ = false;
    captions_.clear();
    pending_.clear();
}

bool KWinScriptWindows::LoadScript(const QString& plugin, const QString& text)
{
    if (!scripts_.isValid())
        return false;
    const QString path = scripts_.filePath(plugin + QStringLiteral(".js"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 ||
        !file.flush())
        return false;
    file.close();
    QDBusConnection bus = bus_.Connection();
    auto* load = new QDBusPendingCallWatcher(
        bus.asyncCall(scripting(QStringLiteral("loadScript"), {path, plugin})), this);
    connect(load, &QDBusPendingCallWatcher::finished, this,
            [this, plugin](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<int> reply = *call;
                if (reply.isValid() && reply.value() >= 0) {
                    // Starts every script loaded and not yet running: ours.
                    bus_.Connection().asyncCall(scripting(QStringLiteral("start")));
                    return;
                }
                // Refused (a stale script under the same name): cleared for the next try.
                UnloadScript(plugin);
                if (plugin == watchPlugin_)
                    watching_ = false;
                pending_.remove(plugin);
            });
    return true;
}

void KWinScriptWindows::UnloadScript(const QString& plugin)
{
    bus_.Connection().asyncCall(scripting(QStringLiteral("unloadScript"), {plugin}));
    if (plugin != watchPlugin_)
        QFile::remove(scripts_.filePath(plugin + QStringLiteral(".js")));
}

void KWinScriptWindows::EnsureWatching()
{
    if (watching_)
        return;
    QDBusConnection bus = bus_.Connection();
    if (!bus.isConnected())
        return;
    if (!registered_) {
        registered_ = bus.registerObject(kOurPath, this, QDBusConnection::ExportScriptableSlots);
        kwin_ = new QDBusServiceWatcher(kKWin, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(kwin_, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { KWinChanged(); });
    }
    if (!registered_ || !available())
        return;
    watching_ = LoadScript(watchPlugin_, WatchScript(bus.baseService()));
}

void KWinScriptWindows::Captions(const QString& json)
{
    captions_ = fromJson(json);
}

void KWinScriptWindows::Closed(const QString& request, const QString& json)
{
    Q_UNUSED(json);
    if (pending_.remove(request) > 0)
        UnloadScript(request);
}

bool KWinScriptWindows::exists(const std::u16string& title)
{
    EnsureWatching();
    return !title.empty() && captions_.contains(QString::fromStdU16String(title));
}

bool KWinScriptWindows::requestClose(const std::u16string& title)
{
    return !requestCloseEach({title}).empty();
}

std::vector<std::u16string>
KWinScriptWindows::requestCloseEach(const std::vector<std::u16string>& titles)
{
    EnsureWatching();
    std::vector<std::u16string> matched;
    QStringList wanted;
    for (const auto& title : titles) {
        const QString t = QString::fromStdU16String(title);
        if (!t.isEmpty() && captions_.contains(t) && !wanted.contains(t)) {
            wanted << t;
            matched.push_back(title);
        }
    }
    if (wanted.isEmpty())
        return matched;
    const qint64 now = clock_.elapsed();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (now - it->at < kCloseAnswerMs) {
            for (const QString& t : it->titles)
                wanted.removeAll(t); // still on its way
            ++it;
            continue;
        }
        UnloadScript(it.key());
        it = pending_.erase(it);
    }
    if (wanted.isEmpty())
        return matched;
    const QString plugin = QStringLiteral("%1-close-%2").arg(watchPlugin_).arg(++serial_);
    if (LoadScript(plugin, CloseScript(bus_.Connection().baseService(), plugin, wanted)))
        pending_.insert(plugin, Pending{now, wanted});
    return matched;
}

} // namespace platform
