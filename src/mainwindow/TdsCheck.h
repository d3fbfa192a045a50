#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// The check of a ready-made tree before it is installed: only its top
// level is looked at. Hidden files and ls-R files there are deleted; a
// plain file, a top level without "fonts" or "tex", and each folder whose
// name is not one of `toplevel` are put to the user through `ask`, which
// shows the question and returns true for "Continue". The names are
// compared as they are: TeX looks for the lower-case names only.
// Returns false when the user chose "Cancel".
bool checkTdsTree(const QString& folder, const QStringList& toplevel,
                  const std::function<bool(const QString& question)>& ask);

// The three questions.
QString strayFileQuestion();
QString noFontsOrTexQuestion();
QString folderNameQuestion(const QString& name);

} // namespace qlk
