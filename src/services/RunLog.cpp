#include "services/RunLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlk {

std::unique_ptr<QFile> logStream;
QString logFile;
QString logMessage;

namespace {
// Where a log that moveLogInto took away came from.
QString movedFrom;

// Moves the file `from` to `to`, appending it to a file already there.
bool moveLogFile(const QString& from, const QString& to)
{
    if (from == to || !QFileInfo(from).isFile())
        return true;
    if (!QFileInfo::exists(to))
        return QFile::rename(from, to) || (QFile::copy(from, to) && QFile::remove(from));
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = in.readAll();
    if (out.write(bytes) != bytes.size() || !out.flush())
        return false;
    in.close();
    return QFile::remove(from);
}

void openLogFile(const QString& path)
{
    logFile = path;
    auto f = std::make_unique<QFile>(logFile);
    if (f->open(QIODevice::WriteOnly | QIODevice::Append))
        logStream = std::move(f);
    emit logWatch().moved();
}
} // namespace

LogWatch& logWatch()
{
    static LogWatch watch;
    return watch;
}

void openLog(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("QLKlogfile.txt"));
    if (logStream) {
        logFile = path;
        return;
    }
    openLogFile(path);
}

QString logPath()
{
    return logStream ? logStream->fileName() : QString();
}

bool moveLogInto(const QString& folder)
{
    const QString from = logStream ? logStream->fileName() : logFile;
    const QString to = QDir(folder).filePath(QStringLiteral("QLKlogfile.txt"));
    if (from == to && logStream)
        return true;
    closeLog();
    if (!moveLogFile(from, to)) {
        if (!from.isEmpty())
            openLogFile(from);
        return false;
    }
    if (movedFrom.isEmpty())
        movedFrom = from;
    openLogFile(to);
    return true;
}

void returnLog()
{
    if (movedFrom.isEmpty())
        return;
    const QString back = movedFrom;
    const QString here = logStream ? logStream->fileName() : logFile;
    closeLog();
    const bool moved = moveLogFile(here, back);
    movedFrom.clear();
    openLogFile(moved ? back : here);
}

void writeLog()
{
    if (!logStream)
        return;
    logStream->write(logMessage.toUtf8());
    logStream->write("\n", 1);
    logStream->flush();
}

void logLine(const QString& text)
{
    logMessage = text;
    writeLog();
}

void closeLog()
{
    if (logStream)
        logStream->close();
    logStream.reset();
}

} // namespace qlk
