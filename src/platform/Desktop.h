#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// The desktop's services: the file manager, the default program for a file,
// and a search by file name standing in for the desktop index.

// Shows `path` selected in the file manager (D-Bus FileManager1.ShowItems),
// falling back to opening its folder with xdg-open. False when neither worked.
bool revealInFileManager(const QString& path);
// Opens `path` with the desktop's default program (xdg-open), detached.
bool openWithDefault(const QString& path);

// The command line that opens `path` in the editor the "editor" preference
// names: its default "TextEdit" (or an empty name) means the desktop's
// default program. The editor is started in the background so the caller
// does not wait for it; the line fails (exit status 127) when the program
// cannot be found.
QString editorCommandLine(const QString& editor, const QString& path);

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
