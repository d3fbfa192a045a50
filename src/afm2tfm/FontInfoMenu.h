#pragma once
#include <QString>

class QMenu;

namespace qlk {

// The context menu of the font lists ("Font info", "Font features"), shared
// by the windows that list font files.

// The tags of its two items.
enum FontInfoTag { FontInfoItem = 1, FontFeaturesItem = 2 };

// The otfinfo command of a tag for `fileName` in `folder`; the empty text
// for another tag.
QString fontInfoCommand(int tag, const QString& folder, const QString& fileName);

// Runs the item `tag` on row `row` of a list of `rowCount` rows whose file
// name cell reads `fileCell`: false, running nothing, when the row lies
// outside the list or the cell is empty. Shows otfinfo's answer in a
// message box, or its error text when it fails.
bool fontInfoMenuAction(int tag, int row, int rowCount, const QString& folder, const QString& fileCell);

// Adds the two items, tagged, to `menu`.
void addFontInfoItems(QMenu* menu);

} // namespace qlk
