#include "app/MenuBar1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace qlk {

MenuBar1::MenuBar1(QWidget* parent) : QMenuBar(parent)
{
    setObjectName(QStringLiteral("MenuBar1"));
    Untitled0();
    Untitled1();
    Untitled2();
    Untitled3();
}

QAction* MenuBar1::addItem(QMenu* menu, const char* name, const QString& text, const char* shortcut)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (shortcut) {
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
        // The shortcut works from every window, not only the main one.
        action->setShortcutContext(Qt::ApplicationShortcut);
    }
    return action;
}

void MenuBar1::Untitled0()
{
    FileMenu = addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    QAction* quit = addItem(FileMenu, "FileQuit", QStringLiteral("&Quit"), "Ctrl+Q");
    quit->setMenuRole(QAction::QuitRole);
    addItem(FileMenu, "FileDeleteHiddenFolder", QStringLiteral("Delete Impermanent Folder"));
    addItem(FileMenu, "FileDeleteTexmfvar", QStringLiteral("Delete TEXMFVAR files"));
    addItem(FileMenu, "FileUninstallFontFamily", QStringLiteral("Uninstall Font Family"));
    addItem(FileMenu, "FileGrabFSFontFamily", QStringLiteral("Grab FS Font Family"));
    addItem(FileMenu, "FileFindAllDuplicates", QStringLiteral("Find All Duplicates"));
    addItem(FileMenu, "FileConvertnamestoBerryform", QStringLiteral("Convert names to Berry form"));
    addItem(FileMenu, "FileAfm2tfm", QStringLiteral("Afm2tfm"));
    addItem(FileMenu, "FileAddmathalphabet", QStringLiteral("Add Math Alphabet"));
    addItem(FileMenu, "FileOtfinst", QStringLiteral("Otfinst"));
    addItem(FileMenu, "Fileautoinst", QStringLiteral("Autoinst"));
    addItem(FileMenu, "FileFontinst", QStringLiteral("Fontinst Latinfamily"));
    addItem(FileMenu, "FileFontinstMath", QStringLiteral("Fontinst Mathtime"));
    addItem(FileMenu, "FileInstallMinionPro", QStringLiteral("Install MinionPro"));
    addItem(FileMenu, "FileInstallMinion2Pro", QStringLiteral("Install Minion2Pro"));
    QAction* about = addItem(FileMenu, "FileAbout", QStringLiteral("About"));
    about->setMenuRole(QAction::AboutRole);
}

void MenuBar1::Untitled1()
{
    EditMenu = addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    addItem(EditMenu, "EditUndo", QStringLiteral("&Undo"), "Ctrl+Z");
    EditMenu->addSeparator()->setObjectName(QStringLiteral("UntitledMenu1"));
    addItem(EditMenu, "EditCut", QStringLiteral("Cu&t"), "Ctrl+X");
    addItem(EditMenu, "EditCopy", QStringLiteral("&Copy"), "Ctrl+C");
    addItem(EditMenu, "EditPaste", QStringLiteral("&Paste"), "Ctrl+V");
    addItem(EditMenu, "EditClear", QStringLiteral("&Delete"));
    EditMenu->addSeparator()->setObjectName(QStringLiteral("UntitledMenu0"));
    addItem(EditMenu, "EditSelectAll", QStringLiteral("Select &All"), "Ctrl+A");

    const std::pair<const char*, EditCommand> commands[] = {
        {"EditUndo", EditCommand::Undo},   {"EditCut", EditCommand::Cut},
        {"EditCopy", EditCommand::Copy},   {"EditPaste", EditCommand::Paste},
        {"EditClear", EditCommand::Delete}, {"EditSelectAll", EditCommand::SelectAll}};
    for (const auto& [name, command] : commands) {
        QAction* action = item(QString::fromLatin1(name));
        editItems_ << qMakePair(action, command);
        // The focus widget at the moment of the choice: the main window's
        // field when chosen from the menu, the field of the window in front
        // when a shortcut reaches the item (fields take their own shortcuts
        // first, so that is mostly a read-only text area).
        connect(action, &QAction::triggered, this, [this, command = command] {
            applyEdit(textEditTarget(QApplication::focusWidget()), command);
            refreshEditItems();
        });
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { followFocus(now); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { refreshEditItems(); });
    // A field's read-only state has no signal: look again as the menu opens.
    connect(EditMenu, &QMenu::aboutToShow, this, [this] { followFocus(QApplication::focusWidget()); });
    followFocus(QApplication::focusWidget());
}

void MenuBar1::followFocus(QWidget* focus)
{
    QWidget* target = textEditTarget(focus);
    if (target != editTarget_) {
        for (const QMetaObject::Connection& c : targetWatch_)
            disconnect(c);
        targetWatch_.clear();
        editTarget_ = target;
        auto refresh = [this] { refreshEditItems(); };
        if (auto* field = qobject_cast<QLineEdit*>(target)) {
            targetWatch_ << connect(field, &QLineEdit::textChanged, this, refresh)
                         << connect(field, &QLineEdit::selectionChanged, this, refresh);
        } else if (auto* area = qobject_cast<QTextEdit*>(target)) {
            targetWatch_ << connect(area, &QTextEdit::textChanged, this, refresh)
                         << connect(area, &QTextEdit::selectionChanged, this, refresh)
                         << connect(area, &QTextEdit::undoAvailable, this, refresh);
        } else if (auto* area = qobject_cast<QPlainTextEdit*>(target)) {
            targetWatch_ << connect(area, &QPlainTextEdit::textChanged, this, refresh)
                         << connect(area, &QPlainTextEdit::selectionChanged, this, refresh)
                         << connect(area, &QPlainTextEdit::undoAvailable, this, refresh);
        }
    }
    refreshEditItems();
}

void MenuBar1::refreshEditItems()
{
    for (const auto& [action, command] : editItems_)
        action->setEnabled(canEdit(editTarget_, command));
}

void MenuBar1::Untitled2()
{
    ViewMenu = addMenu(QStringLiteral("Info"));
    ViewMenu->setObjectName(QStringLiteral("ViewMenu"));
    addItem(ViewMenu, "InfoEnabledisablemaps", QStringLiteral("Enable-disable maps"));
    addItem(ViewMenu, "InfoOtherupdmapoptions", QStringLiteral("Other updmap options"));
    addItem(ViewMenu, "ViewKnownfonts", QStringLiteral("Known fonts"));
    addItem(ViewMenu, "ViewTraceSty", QStringLiteral("Trace .sty"));
    addItem(ViewMenu, "ViewSearchmaps", QStringLiteral("Search maps"));
    addItem(ViewMenu, "ViewAdobeAFMs", QStringLiteral("Adobe AFMs"));
    addItem(ViewMenu, "ViewSearchTeXTrees", QStringLiteral("Search TeX Trees"));
    addItem(ViewMenu, "ViewTFM", QStringLiteral("TFM"));
    addItem(ViewMenu, "InfoGetxheight", QStringLiteral("Get x-height"));
    addItem(ViewMenu, "InfoExamineDVI", QStringLiteral("Examine DVI"));
    addItem(ViewMenu, "InfoCataloguefdfiles", QStringLiteral("Catalogue fd files"));
    addItem(ViewMenu, "InfoOtfInfo", QStringLiteral("Otf Info"));
}

void MenuBar1::Untitled3()
{
    WindowMenu = addMenu(QStringLiteral("Window"));
    WindowMenu->setObjectName(QStringLiteral("WindowMenu"));
    QAction* first = WindowMenu->addAction(QStringLiteral("Main Window"));
    first->setObjectName(QStringLiteral("aWindow"));
    aWindow << first;
}

QAction* MenuBar1::item(const QString& name) const
{
    for (QMenu* menu : {FileMenu, EditMenu, ViewMenu, WindowMenu}) {
        for (QAction* a : menu->actions()) {
            if (a->objectName() == name)
                return a;
        }
    }
    return nullptr;
}

QAction* MenuBar1::windowMenuItem(int index) const
{
    return index >= 0 && index < aWindow.size() ? aWindow.at(index) : nullptr;
}

QAction* MenuBar1::addWindowMenuItem()
{
    QAction* member = WindowMenu->addAction(QStringLiteral("Main Window"));
    member->setObjectName(QStringLiteral("aWindow"));
    aWindow << member;
    return member;
}

void MenuBar1::removeWindowMenuItem(int index)
{
    if (index <= 0 || index >= aWindow.size())
        return; // member 0 always stays
    QAction* member = aWindow.takeAt(index);
    WindowMenu->removeAction(member);
    member->deleteLater();
}

} // namespace qlk
