#include "platform/HttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace qlk {

bool httpGet(const QString& url, const QString& target, int timeoutMs, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QUrl address(url);
    if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty())
        return fail(QStringLiteral("Not a web address: ") + url);

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    const QString netError = reply->errorString();
    const bool netOk = reply->error() == QNetworkReply::NoError;
    reply->deleteLater();
    if (timedOut)
        return fail(QStringLiteral("No answer within %1 s").arg(timeoutMs / 1000));
    if (status < 200 || status > 299)
        return fail(status ? QStringLiteral("The server answered %1").arg(status) : netError);
    if (!netOk)
        return fail(netError);

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot write ") + target);
    if (file.write(body) != body.size()) {
        file.cancelWriting();
        return fail(QStringLiteral("Cannot write ") + target);
    }
    if (!file.commit())
        return fail(QStringLiteral("Cannot write ") + target);
    return true;
}

} // namespace qlk
