#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The program's file types: "Any", which every drop target accepts, and
// "Font", the filter of the x-height chooser.
struct FileType {
    QString name;
    QString extensions; // comma-separated, each with its leading full stop
    // Whether a file name fits (every name fits a type without extensions).
    bool accepts(const QString& fileName) const;
    // A name filter for a file chooser ("Font (*.ttf *.pfb ...)").
    QString chooserFilter() const;
};

void initFileTypes();
const FileType& fileTypeAny();
const FileType& fileTypeFont();

} // namespace qlk
