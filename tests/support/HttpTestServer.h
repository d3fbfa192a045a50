#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <thread>

namespace qlk::test {

// A small HTTP/1.0 file server on 127.0.0.1 at an ephemeral port, run in a
// thread of its own so that the test's main thread may block in a runner
// (curl) or a synchronous download while the server answers. It serves the
// paths it was given, answers 404 to anything else, records every path asked
// for, and stops when the object goes (or after `lifetimeSeconds`).
class HttpTestServer {
public:
    explicit HttpTestServer(int lifetimeSeconds = 120);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // Serves `body` at `path` (which starts with "/"). Thread-safe.
    void serve(const QString& path, const QByteArray& body);
    // Serves the file's bytes at `path`; false when it cannot be read.
    bool serveFile(const QString& path, const QString& file);
    // Answers `status` (e.g. 500, 302 with a Location) at `path`.
    void answer(const QString& path, int status, const QByteArray& body = {},
                const QByteArray& location = {});

    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    // "http://127.0.0.1:PORT" with no trailing slash.
    QString baseUrl() const;
    // The paths asked for so far, in order (query strings kept).
    QStringList requests() const;

private:
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray location;
    };
    void run();
    void handle(int fd);

    int listenFd_ = -1;
    int port_ = 0;
    int lifetime_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    QMap<QString, Reply> replies_;
    QStringList requests_;
    std::thread thread_;
};

} // namespace qlk::test
