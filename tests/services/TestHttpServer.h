#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

// A small HTTP/1.1 server on loopback, on a thread of its own, for the
// update tests. Each path has a route whose behaviour a test sets.
class TestHttpServer : public QThread
{
public:
    struct Route
    {
        int status = 200;
        QByteArray body;
        bool ranges = true; // honours "Range: bytes=N-"
        bool dropHalf = false; // sends half the body, then hangs up
        int throttleMs = 0; // pause between chunks of the body
        int chunk = 16 * 1024;
        qint64 headLength = -1; // a HEAD answer's length when not the body's
        QByteArray location{}; // sent as Location (a redirect with 3xx)
        bool endless = false; // no length, body repeated until the client leaves
    };

    struct Request
    {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray header(const QByteArray& name) const
        {
            for (const auto& h : headers)
                if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                    return h.second;
            return QByteArray();
        }
    };

    TestHttpServer()
    {
        start();
        m_ready.acquire();
    }
    ~TestHttpServer() override
    {
        quit();
        wait();
    }

    quint16 port() const { return m_port; }
    QByteArray url(const QByteArray& path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(m_port) + path;
    }

    void setRoute(const QByteArray& path, const Route& route)
    {
        QMutexLocker lock(&m_mutex);
        m_routes[path] = route;
    }
    void clearRoutes()
    {
        QMutexLocker lock(&m_mutex);
        m_routes.clear();
    }
    QList<Request> requests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }
    QList<Request> requests(const QByteArray& method, const QByteArray& path) const
    {
        QList<Request> out;
        for (const Request& r : requests())
            if (r.method == method && r.path == path)
                out.append(r);
        return out;
    }
    void clearRequests()
    {
        QMutexLocker lock(&m_mutex);
        m_requests.clear();
    }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                serve(socket);
        });
        m_ready.release();
        exec();
    }

private:
    void serve(QTcpSocket* socket)
    {
        auto* buffer = new QByteArray;
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, buffer] {
            delete buffer;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const int end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            buffer->clear();
            Request request;
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.path = first.value(1);
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.append(
                        {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
            }
            Route route;
            bool known = false;
            {
                QMutexLocker lock(&m_mutex);
                m_requests.append(request);
                known = m_routes.contains(request.path);
                route = m_routes.value(request.path);
            }
            respond(socket, request, known ? route : Route{404, "<html>Not found</html>"});
        });
    }

    static QByteArray reason(int status)
    {
        switch (status) {
        case 200:
            return "OK";
        case 206:
            return "Partial Content";
        case 404:
            return "Not Found";
        case 302:
            return "Found";
        case 416:
            return "Range Not Satisfiable";
        default:
            return "Error";
        }
    }

    void respond(QTcpSocket* socket, const Request& request, const Route& route)
    {
        int status = route.status;
        QByteArray body = route.body;
        QByteArray extra;
        const qint64 size = route.body.size();
        const QByteArray range = request.header("Range");
        if (!route.location.isEmpty())
            extra += "Location: " + route.location + "\r\n";
        if (route.endless && request.method != "HEAD") {
            socket->write("HTTP/1.1 " + QByteArray::number(status) + " " + reason(status)
                          + "\r\nConnection: close\r\n\r\n");
            auto* timer = new QTimer(socket);
            const QByteArray block = body.isEmpty() ? QByteArray(route.chunk, 'e') : body;
            QObject::connect(timer, &QTimer::timeout, socket, [socket, block] {
                if (socket->bytesToWrite() < 4 * block.size())
                    socket->write(block);
            });
            timer->start(1);
            return;
        }
        if (status == 200 && route.ranges && range.startsWith("bytes=") && range.endsWith('-')) {
            const qint64 from = range.mid(6, range.size() - 7).toLongLong();
            if (from >= size) {
                status = 416;
                body.clear();
                extra = "Content-Range: bytes */" + QByteArray::number(size) + "\r\n";
            } else {
                status = 206;
                body = route.body.mid(int(from));
                extra = "Content-Range: bytes " + QByteArray::number(from) + "-"
                    + QByteArray::number(size - 1) + "/" + QByteArray::number(size) + "\r\n";
            }
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " " + reason(status) + "\r\n"
            + "Content-Length: " + QByteArray::number(body.size()) + "\r\n" + "Connection: close\r\n" + extra
            + "\r\n";
        if (request.method == "HEAD" && route.headLength >= 0)
            head.replace("Content-Length: " + QByteArray::number(body.size()),
                         "Content-Length: " + QByteArray::number(route.headLength));
        socket->write(head);
        if (request.method == "HEAD") {
            socket->disconnectFromHost();
            return;
        }
        if (route.dropHalf) {
            socket->write(body.left(body.size() / 2));
            socket->flush();
            socket->abort();
            return;
        }
        if (route.throttleMs <= 0) {
            socket->write(body);
            socket->disconnectFromHost();
            return;
        }
        auto* timer = new QTimer(socket);
        auto* pos = new int(0);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, pos, body, route] {
            if (*pos >= body.size()) {
                timer->stop();
                delete pos;
                socket->disconnectFromHost();
                return;
            }
            socket->write(body.mid(*pos, route.chunk));
            *pos += route.chunk;
        });
        timer->start(route.throttleMs);
    }

    quint16 m_port = 0;
    QSemaphore m_ready;
    mutable QMutex m_mutex;
    QHash<QByteArray, Route> m_routes;
    QList<Request> m_requests;
};
