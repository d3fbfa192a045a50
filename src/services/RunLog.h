#pragma once
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

} // namespace qlk
