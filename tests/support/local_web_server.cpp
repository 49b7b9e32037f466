#include "support/local_web_server.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

LocalWebServer::LocalWebServer() {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                QByteArray request = socket->property("request").toByteArray() + socket->readAll();
                socket->setProperty("request", request);
                if (!request.contains("\r\n\r\n"))
                    return;
                const QString path = QString::fromLatin1(request.split(' ').value(1));
                requests << path;
                if (m_slowIntervals.contains(path)) {
                    trickle(socket, m_bodies.value(path), m_slowIntervals.value(path));
                    return;
                }
                socket->write(answer(path));
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void LocalWebServer::serve(const QString &path, const QByteArray &body) {
    m_bodies.insert(path, body);
}

void LocalWebServer::serveSlowly(const QString &path, const QByteArray &body, int intervalMs) {
    m_bodies.insert(path, body);
    m_slowIntervals.insert(path, intervalMs);
}

void LocalWebServer::trickle(QTcpSocket *socket, const QByteArray &body, int intervalMs) {
    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n");
    auto *timer = new QTimer(socket);
    auto sent = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, socket, [socket, body, sent] {
        if (*sent < body.size())
            socket->write(body.mid((*sent)++, 1));
    });
    timer->start(intervalMs);
}

void LocalWebServer::redirect(const QString &path, const QString &to) {
    m_redirects.insert(path, to);
}

QString LocalWebServer::url(const QString &path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

QByteArray LocalWebServer::answer(const QString &path) const {
    if (m_bodies.contains(path)) {
        const QByteArray body = m_bodies.value(path);
        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }
    if (m_redirects.contains(path))
        return "HTTP/1.1 302 Found\r\nLocation: " + m_redirects.value(path).toLatin1() +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    return "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found";
}
