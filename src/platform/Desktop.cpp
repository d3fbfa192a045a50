#include "platform/Desktop.h"

#include "platform/Quote.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace qlk {

namespace {
std::function<void(const QString&, const QString&)>& recorder()
{
    static std::function<void(const QString&, const QString&)> r;
    return r;
}
} // namespace

void setDesktopRecorder(std::function<void(const QString&, const QString&)> r)
{
    recorder() = std::move(r);
}

bool revealInFileManager(const QString& path)
{
    if (recorder()) {
        recorder()(QStringLiteral("reveal"), path);
        return true;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    const QString folder = QFileInfo(path).isDir() ? path : QFileInfo(path).absolutePath();
    return QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
}

bool openWithDefault(const QString& path)
{
    if (recorder()) {
        recorder()(QStringLiteral("open"), path);
        return true;
    }
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

QString editorCommandLine(const QString& editor, const QString& path)
{
    QString program = editor.trimmed();
    if (program.isEmpty() || program.compare(QLatin1String("TextEdit"), Qt::CaseInsensitive) == 0)
        program = QStringLiteral("xdg-open");
    const QString p = shellQuote(program);
    return QStringLiteral("command -v -- %1 >/dev/null || exit 127; %1 %2 </dev/null >/dev/null 2>&1 &")
        .arg(p, shellQuote(path));
}

QStringList findFilesByName(const QStringList& roots, const QString& pattern, int timeoutMs)
{
    QStringList found;
    const QRegularExpression re(
        QRegularExpression::wildcardToRegularExpression(pattern, QRegularExpression::UnanchoredWildcardConversion)
            .prepend(QLatin1Char('^'))
            .append(QLatin1Char('$')),
        QRegularExpression::CaseInsensitiveOption);
    QDeadlineTimer deadline(timeoutMs);
    for (const QString& root : roots) {
        if (!QFileInfo(root).isDir())
            continue;
        // Hidden folders are not listed (no QDir::Hidden), so they are not entered.
        QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (deadline.hasExpired())
                return found;
            const QString p = it.next();
            if (re.match(it.fileName()).hasMatch() && it.fileInfo().isFile())
                found << p;
        }
    }
    return found;
}

} // namespace qlk
