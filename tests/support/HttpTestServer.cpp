#include "support/HttpTestServer.h"

#include <QFile>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qlk::test {

HttpTestServer::HttpTestServer(int lifetimeSeconds) : lifetime_(lifetimeSeconds)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        return;
    int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

HttpTestServer::~HttpTestServer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

void HttpTestServer::serve(const QString& path, const QByteArray& body)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = Reply{200, body, {}};
}

bool HttpTestServer::serveFile(const QString& path, const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    serve(path, f.readAll());
    return true;
}

void HttpTestServer::answer(const QString& path, int status, const QByteArray& body,
                            const QByteArray& location)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = Reply{status, body, location};
}

QString HttpTestServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

QStringList HttpTestServer::requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::run()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime_);
    while (!stop_ && std::chrono::steady_clock::now() < end) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        handle(fd);
        ::close(fd);
    }
}

namespace {
const char* reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

void sendAll(int fd, const QByteArray& data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}
} // namespace

void HttpTestServer::handle(int fd)
{
    // Read the request head (bounded in size and time).
    QByteArray head;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!head.contains("\r\n\r\n") && !head.contains("\n\n") && head.size() < 65536 &&
           std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        head.append(buf, int(n));
    }
    const QList<QByteArray> first = head.left(head.indexOf('\n')).trimmed().split(' ');
    if (first.size() < 2)
        return;
    const QString path = QString::fromLatin1(first.at(1));
    Reply reply{404, QByteArrayLiteral("Not Found\n"), {}};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_ << path;
        auto it = replies_.constFind(path);
        if (it == replies_.constEnd()) {
            const int q = path.indexOf(QLatin1Char('?'));
            if (q >= 0)
                it = replies_.constFind(path.left(q));
        }
        if (it != replies_.constEnd())
            reply = *it;
    }
    const bool headOnly = first.at(0) == "HEAD";
    QByteArray out = "HTTP/1.0 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) +
                     "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                     "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (!reply.location.isEmpty())
        out += "Location: " + reply.location + "\r\n";
    out += "\r\n";
    if (!headOnly)
        out += reply.body;
    sendAll(fd, out);
}

} // namespace qlk::test
