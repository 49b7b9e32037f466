// A tiny web server on the loopback interface for tests that download: it
// answers from a table of paths (a body, or a redirect) and 404 otherwise,
// and records the paths asked for. It runs in the test's own thread, served
// by the event loop that the download under test spins.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

class LocalWebServer : public QObject {
public:
    LocalWebServer();

    void serve(const QString &path, const QByteArray &body);
    void redirect(const QString &path, const QString &to);
    // Sends the body one byte every intervalMs, as a stubborn server does.
    void serveSlowly(const QString &path, const QByteArray &body, int intervalMs);

    // "http://127.0.0.1:<port>" + path.
    QString url(const QString &path) const;
    QStringList requests;

private:
    QByteArray answer(const QString &path) const;
    void trickle(QTcpSocket *socket, const QByteArray &body, int intervalMs);

    QTcpServer m_server;
    QHash<QString, QByteArray> m_bodies;
    QHash<QString, QString> m_redirects;
    QHash<QString, int> m_slowIntervals;
};
