#include "services/RunLog.h"

#include <QDir>
#include <QFile>

namespace qlk {

std::unique_ptr<QFile> logStream;
QString logFile;
QString logMessage;

void openLog(const QString& folder)
{
    logFile = QDir(folder).filePath(QStringLiteral("QLKlogfile.txt"));
    if (logStream)
        return;
    auto f = std::make_unique<QFile>(logFile);
    if (f->open(QIODevice::WriteOnly | QIODevice::Append))
        logStream = std::move(f);
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
