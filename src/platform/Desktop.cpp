#include "platform/Desktop.h"

#include "platform/Dialogs.h"
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
    // Without the file manager's interface, its folder opened like any
    // file: a failure comes back as the same message.
    const QString folder = QFileInfo(path).isDir() ? path : QFileInfo(path).absolutePath();
    return openWithProgram(QStringLiteral("xdg-open"), folder);
}

bool openWithDefault(const QString& path)
{
    return openWithProgram(QStringLiteral("xdg-open"), path);
}

QString openFailureText(const QString& program, const QString& path, int exitCode)
{
    QString why;
    if (exitCode < 0)
        why = QStringLiteral("the program \"%1\" could not be started").arg(program);
    else if (QFileInfo(program).fileName() == QLatin1String("xdg-open")) {
        switch (exitCode) {
        case 2: why = QStringLiteral("the file could not be found"); break;
        case 3: why = QStringLiteral("a program that xdg-open needs is missing"); break;
        case 4: why = QStringLiteral("no program to open it was found, or it failed"); break;
        default: why = QStringLiteral("xdg-open ended with exit status %1").arg(exitCode); break;
        }
    } else {
        why = QStringLiteral("\"%1\" ended with exit status %2").arg(program).arg(exitCode);
    }
    return QStringLiteral("Could not open %1: %2.").arg(path, why);
}

bool openWithProgram(const QString& program, const QString& path)
{
    if (recorder()) {
        recorder()(QStringLiteral("open"), path);
        return true;
    }
    // Not waited for: the program may stay open as long as the user likes.
    // Left without a parent, so that quitting never takes a viewer with it.
    auto* process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, program, path](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        msgBox(openFailureText(program, path, -1));
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, program, path](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0)
                             msgBox(openFailureText(program, path, status == QProcess::NormalExit ? code : 128));
                         process->deleteLater();
                     });
    process->start(program, {path});
    return true;
}

QString editorProgram(const QString& editor)
{
    const QString program = editor.trimmed();
    if (program.isEmpty() || program.compare(QLatin1String("TextEdit"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("xdg-open");
    return program;
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
