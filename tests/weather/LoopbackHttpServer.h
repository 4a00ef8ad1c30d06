#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

//! A small HTTP/1.1 server on 127.0.0.1 for the weather tests: each path answers with a
//! fixed response, or not at all ("stall"), and every request path is kept.
class LoopbackHttpServer : public QObject {
public:
    struct Response {
        QByteArray head; // status line and headers, without the blank line
        QByteArray body;
        bool stall = false;
    };

    QStringList requests;

    LoopbackHttpServer()
    {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                Serve(socket);
        });
    }

    bool Listen(quint16 port = 0) { return server_.listen(QHostAddress::LocalHost, port); }
    quint16 Port() const { return server_.serverPort(); }
    QString Url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
    }
    //! Stops listening and drops every open connection.
    void Close()
    {
        server_.close();
        for (const QPointer<QTcpSocket>& socket : std::as_const(open_))
            if (socket)
                socket->abort();
    }

    void Page(const QString& path, const QByteArray& html,
              const QByteArray& type = "text/html; charset=utf-8")
    {
        Route(path, {"HTTP/1.1 200 OK\r\nContent-Type: " + type, html});
    }
    void Redirect(const QString& path, const QByteArray& location)
    {
        Route(path, {"HTTP/1.1 302 Found\r\nLocation: " + location, {}});
    }
    void Route(const QString& path, const Response& response) { routes_[path] = response; }

private:
    void Serve(QTcpSocket* socket)
    {
        open_ << socket;
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray head = socket->readAll();
            const QList<QByteArray> line = head.left(head.indexOf("\r\n")).split(' ');
            const QString path = QString::fromLatin1(line.value(1));
            requests << path;
            if (!routes_.contains(path)) {
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
                socket->disconnectFromHost();
                return;
            }
            const Response& r = routes_[path];
            if (r.stall)
                return;
            QByteArray out = r.head;
            if (!out.contains("Content-Length") && !out.contains("Transfer-Encoding"))
                out += "\r\nContent-Length: " + QByteArray::number(r.body.size());
            socket->write(out + "\r\nConnection: close\r\n\r\n" + r.body);
            socket->disconnectFromHost();
        });
    }

    QTcpServer server_;
    QHash<QString, Response> routes_;
    QList<QPointer<QTcpSocket>> open_;
};
