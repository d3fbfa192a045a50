#include "platform/HttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace qlk {

bool httpGet(const QString& url, const QString& target, int timeoutMs, QString* error, qint64 maxBytes)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QUrl address(url);
    if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty())
        return fail(QStringLiteral("Not a web address: ") + url);

    // Not committed unless the whole answer is good; dropped otherwise.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot write ") + target);

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // The bytes as sent: Qt would otherwise ask for gzip and inflate the
    // answer itself, where no limit counts the inflated bytes.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = manager.get(request);
    // Memory stays flat: the reply holds little, each piece goes to disk.
    constexpr qint64 piece = 64 * 1024;
    reply->setReadBufferSize(piece);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    bool tooLong = false;
    QByteArray encoding; // a Content-Encoding the answer came in anyway
    bool writeFailed = false;
    qint64 received = 0;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QByteArray coding = reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (!coding.isEmpty() && coding != "identity") {
            encoding = coding;
            reply->abort();
            return;
        }
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        while (encoding.isEmpty() && !tooLong && !writeFailed && reply->bytesAvailable() > 0) {
            const QByteArray chunk = reply->read(piece);
            received += chunk.size();
            if (received > maxBytes)
                tooLong = true;
            else if (file.write(chunk) != chunk.size())
                writeFailed = true;
        }
        if (tooLong || writeFailed)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (encoding.isEmpty() && !tooLong && !writeFailed && reply->bytesAvailable() > 0) {
        const QByteArray rest = reply->readAll();
        received += rest.size();
        if (received > maxBytes)
            tooLong = true;
        else if (file.write(rest) != rest.size())
            writeFailed = true;
    }
    const QString netError = reply->errorString();
    const bool netOk = reply->error() == QNetworkReply::NoError;
    reply->deleteLater();
    if (!encoding.isEmpty())
        return fail(QStringLiteral("The server sent the answer encoded (Content-Encoding: %1), not as the file "
                                   "itself")
                        .arg(QString::fromLatin1(encoding.left(40))));
    if (tooLong)
        return fail(QStringLiteral("The answer is longer than %1 bytes").arg(maxBytes));
    if (writeFailed)
        return fail(QStringLiteral("Cannot write ") + target);
    if (timedOut)
        return fail(QStringLiteral("No answer within %1 s").arg(timeoutMs / 1000));
    if (status < 200 || status > 299)
        return fail(status ? QStringLiteral("The server answered %1").arg(status) : netError);
    if (!netOk)
        return fail(netError);
    if (!file.commit())
        return fail(QStringLiteral("Cannot write ") + target);
    return true;
}

} // namespace qlk
