#include "reminders/NetTimeClient.h"

#include <QTcpSocket>
#include <QtEndian>

namespace {

// Seconds from 1900-01-01 to 1970-01-01.
constexpr std::int64_t kEpochOffset = 2208988800LL;
// 2026-01-01 00:00:00 UTC: no clock this program runs on is honestly set before it.
constexpr std::int64_t kEarliest = 1767225600LL;
const QString kDefaultHost = QStringLiteral("time.nist.gov");

} // namespace

NetTimeClient::NetTimeClient(QObject* parent) : QObject(parent)
{
    limit_.setSingleShot(true);
    // A coarse timer may fire 5 % early, cutting a slow server off before its limit.
    limit_.setTimerType(Qt::PreciseTimer);
    connect(&limit_, &QTimer::timeout, this, [this] {
        Finish({connected_ ? Outcome::ReadFailed : Outcome::NotConnected, 0});
    });
}

NetTimeClient::~NetTimeClient()
{
    done_ = nullptr;
    if (socket_) {
        socket_->abort();
        delete socket_;
    }
}

std::optional<std::int64_t> NetTimeClient::UnixTimeOf(std::uint32_t count, qint64 roundTripMs)
{
    if (count == 0)
        return std::nullopt;
    std::int64_t since1900 = count;
    if (count < 0x80000000u)
        since1900 += 0x100000000LL;
    const std::int64_t unix =
        since1900 - kEpochOffset + std::max<qint64>(roundTripMs, 0) / 2 / 1000;
    if (unix < kEarliest)
        return std::nullopt;
    return unix;
}

NetTimeClient::Result NetTimeClient::ResultOf(const QByteArray& reply, qint64 roundTripMs)
{
    if (reply.size() < 4)
        return {Outcome::ReadFailed, 0};
    const auto count = qFromBigEndian<quint32>(reply.constData());
    const auto unix = UnixTimeOf(count, roundTripMs);
    return unix ? Result{Outcome::Time, *unix} : Result{Outcome::ReadFailed, 0};
}

std::optional<std::pair<QString, quint16>> NetTimeClient::ParseServer(const QString& text)
{
    const QString t = text.trimmed();
    QString host = t;
    std::optional<QString> port;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        host = t.mid(1, close - 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':'))
                return std::nullopt;
            port = rest.mid(1);
        }
    } else if (t.count(u':') == 1) {
        host = t.section(u':', 0, 0);
        port = t.section(u':', 1);
    }
    if (host.isEmpty())
        return std::nullopt;
    if (!port)
        return std::pair{host, kPort};
    bool ok = false;
    const uint n = port->toUInt(&ok);
    if (!ok || n == 0 || n > 65535)
        return std::nullopt;
    return std::pair{host, static_cast<quint16>(n)};
}

std::pair<QString, quint16> NetTimeClient::ConfiguredServer(const QString& chosen)
{
    if (const auto server = ParseServer(chosen))
        return *server;
    return {kDefaultHost, kPort};
}

bool NetTimeClient::Fetch(const QString& host, quint16 port, Done done)
{
    if (socket_)
        return false;
    done_ = std::move(done);
    connected_ = false;
    socket_ = new QTcpSocket(this);
    connect(socket_, &QTcpSocket::connected, this, &NetTimeClient::OnConnected);
    connect(socket_, &QTcpSocket::readyRead, this, &NetTimeClient::OnData);
    connect(socket_, &QTcpSocket::errorOccurred, this, &NetTimeClient::OnError);
    limit_.start(kConnectLimitMs);
    // Reported through the signals from the event loop, even a name that fails at once.
    socket_->connectToHost(host, port);
    return true;
}

void NetTimeClient::OnConnected()
{
    connected_ = true;
    roundTrip_.start();
    limit_.start(kReadLimitMs);
}

void NetTimeClient::OnData()
{
    if (!socket_ || socket_->bytesAvailable() < 4)
        return;
    Finish(ResultOf(socket_->read(4), roundTrip_.elapsed()));
}

void NetTimeClient::OnError()
{
    if (!socket_)
        return;
    // A server that closes after its four bytes may report the close before they are read.
    if (connected_ && socket_->bytesAvailable() >= 4) {
        OnData();
        return;
    }
    Finish({connected_ ? Outcome::ReadFailed : Outcome::ConnectError, 0});
}

void NetTimeClient::Finish(Result result)
{
    limit_.stop();
    if (socket_) {
        QTcpSocket* socket = socket_;
        socket_ = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (Done done = std::exchange(done_, nullptr))
        done(result);
}
