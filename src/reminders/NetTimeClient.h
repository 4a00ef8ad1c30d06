#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QTcpSocket;

//! The Time Protocol (RFC 868) over TCP: the server sends one 32-bit count of seconds since
//! 1900 and closes. Runs on the event loop of the calling thread, so the tick goes on while
//! a server is slow or silent; the answer comes back through the callback, never from
//! inside Fetch.
class NetTimeClient : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        //! A time was read.
        Time,
        //! Connecting failed at once: name not resolved, refused, unreachable.
        ConnectError,
        //! No connection within the connect limit.
        NotConnected,
        //! Connected, but no usable time: silent server, short read, 0, or a time too early.
        ReadFailed,
    };
    struct Result {
        Outcome outcome = Outcome::ReadFailed;
        //! The server's time plus half the round trip, seconds since 1970-01-01 UTC.
        std::int64_t unixSeconds = 0;
    };
    using Done = std::function<void(const Result&)>;

    static constexpr int kConnectLimitMs = 2500;
    static constexpr int kReadLimitMs = 2500;
    static constexpr quint16 kPort = 37;

    explicit NetTimeClient(QObject* parent = nullptr);
    ~NetTimeClient() override;

    //! Starts one exchange; false (and no callback) while one is still under way.
    bool Fetch(const QString& host, quint16 port, Done done);
    bool Busy() const { return socket_ != nullptr; }

    //! The received count and the round trip read as seconds since 1970, or nothing when
    //! the count is 0 or the result lies before 2026. Counts below 2^31 belong to the era
    //! that begins on 2036-02-07 06:28:16 UTC.
    static std::optional<std::int64_t> UnixTimeOf(std::uint32_t count, qint64 roundTripMs);
    //! What the server's reply means: its first four bytes as a big-endian count, read as
    //! UnixTimeOf does; a reply shorter than that is a failed read.
    static Result ResultOf(const QByteArray& reply, qint64 roundTripMs);

    //! Host and port from "host[:port]" ("[v6]:port" for an IPv6 address); port 37 when
    //! none is given, nothing when the text is unusable.
    static std::optional<std::pair<QString, quint16>> ParseServer(const QString& text);
    //! The server `chosen` names when it is usable, else the public default.
    static std::pair<QString, quint16> ConfiguredServer(const QString& chosen);

private:
    void OnConnected();
    void OnData();
    void OnError();
    void Finish(Result result);

    QTcpSocket* socket_ = nullptr;
    QTimer limit_;
    QElapsedTimer roundTrip_;
    bool connected_ = false;
    Done done_;
};
