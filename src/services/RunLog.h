#pragma once
#include <QObject>
#include <QString>

#include <memory>

class QFile;

namespace qlk {

// The run log "QLKlogfile.txt": only ever appended to, one caller's text a
// line. A caller puts its line into logMessage and calls writeLog.
extern std::unique_ptr<QFile> logStream; // open stream, or none
extern QString logFile;                  // the file the log was last pointed at
extern QString logMessage;               // the pending line

// Points the log at `folder`; opens (appending) or creates the file there
// only when no stream is open.
void openLog(const QString& folder);
// Appends logMessage and LF while a stream is open.
void writeLog();
// Shorthand: logMessage = text, then writeLog().
void logLine(const QString& text);
// Closes the stream, if any, and leaves none.
void closeLog();

// The file the lines go to; empty while no log is open.
QString logPath();
// Moves the log (the open one, else the file logFile names) into `folder`
// and reopens it there; a QLKlogfile.txt already there gets its lines
// appended. The place it came from first is kept for returnLog. False, the
// log left where it was, when the file cannot be moved.
bool moveLogInto(const QString& folder);
// Moves a log that moveLogInto took away back to where it came from;
// nothing when none was taken.
void returnLog();

// Tells the windows that show where the log goes when it opens elsewhere.
class LogWatch : public QObject {
    Q_OBJECT
signals:
    void moved();
};
LogWatch& logWatch();

} // namespace qlk
