#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// The desktop's services: the file manager, the default program for a file,
// and a search by file name standing in for the desktop index.

// Shows `path` selected in the file manager (D-Bus FileManager1.ShowItems),
// falling back to opening its folder with xdg-open as openWithProgram does:
// not waited for, and a failure reported in a message naming the folder.
bool revealInFileManager(const QString& path);
// Opens `path` with the desktop's default program (xdg-open). The caller
// does not wait; when the program cannot start or ends with a failure, a
// message names the file and what went wrong.
bool openWithDefault(const QString& path);
// The same with `program` (given `path` as its one argument).
bool openWithProgram(const QString& program, const QString& path);

// The program that opens files for the "editor" preference: its default
// "TextEdit" (or an empty name) means the desktop's default (xdg-open).
QString editorProgram(const QString& editor);
// The message for a failed open: `program` could not start (exitCode < 0)
// or ended with `exitCode`.
QString openFailureText(const QString& program, const QString& path, int exitCode);

// Tests replace reveal and open with a recorder that gets ("reveal", path)
// or ("open", path); nothing is started while one is installed.
void setDesktopRecorder(std::function<void(const QString& action, const QString& path)> recorder);

// Case-insensitive search by file name over `roots` (their whole depth,
// hidden folders skipped). `pattern` is a file name with "*" and "?"
// wildcards. Ends after `timeoutMs` with what it found so far. Missing roots
// are skipped; the others still answer.
QStringList findFilesByName(const QStringList& roots, const QString& pattern,
                            int timeoutMs = 30000);

} // namespace qlk
