#pragma once
#include <QList>
#include <QString>

namespace qlk {

// What the display lists of the main window offer in their context menus,
// and the files and command lines their actions use.

struct MenuChoice {
    QString text;
    int tag;
};

// The font map lists (TEXMFLOCAL, TEXMFHOME, TEXMFVAR): "Show contents".
QList<MenuChoice> fontMapMenu();
// The output map and updmap.cfg lists, member `index`; `rowPath` is column
// 1 of the row the menu is for (empty when there is none). "Delete file"
// is offered for a pdftex.map copy only when it lies in a personal tree.
QList<MenuChoice> listbox1Menu(int index, const QString& rowPath);

// "Contents of ..." (tags 2, 3, 4): the output map of that kind below the
// map root `root`: <root>/<folder>/updmap/<file>.map; the empty text when
// the folder <root>/<folder>/updmap cannot be found.
QString outputMapOf(const QString& root, int tag);

// The personal tree whose updmap output a pdftex.map copy at `root` belongs
// to: TEXMFVAR when it lies there, else TEXMFHOME.
QString personalTreeOf(const QString& root);
// The line that removes updmap's output maps from a personal tree.
QString removeUpdmapOutputCommand(const QString& tree);

} // namespace qlk
