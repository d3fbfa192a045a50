#include "support/HttpTestServer.h"

#include <QFile>
#include <QProcess>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qlk::test {

HttpTestServer::HttpTestServer(int lifetimeSeconds, HttpTestServer::Scheme scheme) : lifetime_(lifetimeSeconds)
{
    if (scheme == Scheme::Https && !setUpTls())
        return;
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
    if (tls_)
        SSL_CTX_free(tls_);
}

bool HttpTestServer::setUpTls()
{
    // A fresh key and certificate for 127.0.0.1 with the openssl program;
    // an EC key is made in a blink.
    certDir_ = std::make_unique<QTemporaryDir>();
    if (!certDir_->isValid())
        return false;
    const QString key = certDir_->filePath(QStringLiteral("key.pem"));
    const QString cert = certDir_->filePath(QStringLiteral("cert.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("/usr/bin/openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
                   key, QStringLiteral("-out"), cert});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
        return false;
    tls_ = SSL_CTX_new(TLS_server_method());
    if (!tls_)
        return false;
    if (SSL_CTX_use_certificate_file(tls_, cert.toLocal8Bit().constData(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_, key.toLocal8Bit().constData(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(tls_);
        tls_ = nullptr;
        return false;
    }
    return true;
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

void HttpTestServer::serveStream(const QString& path, qint64 bytes, bool declareLength)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Reply reply;
    reply.stream = true;
    reply.streamBytes = bytes;
    reply.declareLength = declareLength && bytes >= 0;
    replies_[path] = reply;
}

QString HttpTestServer::baseUrl() const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(tls_ ? QStringLiteral("https") : QStringLiteral("http")).arg(port_);
}

QString HttpTestServer::certificateFile() const
{
    return tls_ ? certDir_->filePath(QStringLiteral("cert.pem")) : QString();
}

QStringList HttpTestServer::requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::run()
{
    // A client that hangs up mid-answer must end that answer, not the test
    // program: SIGPIPE stays blocked in this thread, so a write fails instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime_);
    while (!stop_ && std::chrono::steady_clock::now() < end) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        // A client that stalls cannot hold the server for long.
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
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

// One accepted connection, plain or TLS.
class Connection {
public:
    Connection(int fd, SSL_CTX* tls) : fd_(fd)
    {
        if (!tls)
            return;
        ssl_ = SSL_new(tls);
        if (!ssl_ || SSL_set_fd(ssl_, fd) != 1 || SSL_accept(ssl_) != 1)
            broken_ = true;
    }
    ~Connection()
    {
        if (ssl_) {
            if (!broken_)
                SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
        ERR_clear_error();
    }
    bool usable() const { return !broken_; }
    qint64 receive(char* buf, int size)
    {
        if (ssl_)
            return SSL_read(ssl_, buf, size);
        return ::recv(fd_, buf, size_t(size), 0);
    }
    bool sendAll(const char* data, qint64 size)
    {
        qint64 sent = 0;
        while (sent < size) {
            const int chunk = int(qMin<qint64>(size - sent, 1 << 20));
            const qint64 n = ssl_ ? SSL_write(ssl_, data + sent, chunk)
                                  : ::send(fd_, data + sent, size_t(chunk), MSG_NOSIGNAL);
            if (n <= 0) {
                broken_ = true;
                return false;
            }
            sent += n;
        }
        return true;
    }
    bool pending() const { return ssl_ && SSL_pending(ssl_) > 0; }

private:
    int fd_;
    SSL* ssl_ = nullptr;
    bool broken_ = false;
};
} // namespace

void HttpTestServer::handle(int fd)
{
    Connection connection(fd, tls_);
    if (!connection.usable())
        return;
    // Read the request head (bounded in size and time).
    QByteArray head;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!head.contains("\r\n\r\n") && !head.contains("\n\n") && head.size() < 65536 &&
           std::chrono::steady_clock::now() < end) {
        if (!connection.pending()) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
        }
        char buf[4096];
        const qint64 n = connection.receive(buf, sizeof buf);
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
    QByteArray out = "HTTP/1.0 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) + "\r\n";
    if (!reply.stream)
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    else if (reply.declareLength)
        out += "Content-Length: " + QByteArray::number(reply.streamBytes) + "\r\n";
    out += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (!reply.location.isEmpty())
        out += "Location: " + reply.location + "\r\n";
    out += "\r\n";
    if (!headOnly && !reply.stream)
        out += reply.body;
    if (!connection.sendAll(out.constData(), out.size()) || headOnly || !reply.stream)
        return;
    const QByteArray zeros(64 * 1024, '\0');
    for (qint64 left = reply.streamBytes; (reply.streamBytes < 0 || left > 0) && !stop_;) {
        const qint64 size = reply.streamBytes < 0 ? zeros.size() : qMin<qint64>(left, zeros.size());
        if (!connection.sendAll(zeros.constData(), size))
            return;
        left -= size;
    }
}

} // namespace qlk::test
