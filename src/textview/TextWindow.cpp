#include "textview/TextWindow.h"

#include "mainwindow/Window1.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "ui/SingleWindow.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTextBlock>

namespace qlk {

static const char* const kActiveLineTitle = "Triple-click a line to select it, then right-click for menu";

TextWindowArea::TextWindowArea(TextWindow* owner) : QPlainTextEdit(owner), owner_(owner) {}

void TextWindowArea::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    if (!owner_->TextArea1_ConstructContextualMenu(&menu) || menu.isEmpty()) {
        // Not ours: the ordinary editing menu.
        QPlainTextEdit::contextMenuEvent(event);
        return;
    }
    if (QAction* chosen = menu.exec(event->globalPos()))
        owner_->TextArea1_ContextualMenuAction(chosen->text());
}

TextWindow* TextWindow::instance()
{
    return singleWindow<TextWindow>();
}

TextWindow::TextWindow()
{
    setWindowTitle(QStringLiteral("Text Window"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    resize(765, 614);

    TextArea1 = new TextWindowArea(this);
    TextArea1->setGeometry(4, 2, 755, 575);
    TextArea1->setTabChangesFocus(true);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setGeometry(575, 586, 80, 20);
    PushButton1 = new QPushButton(QStringLiteral("Save"), this);
    PushButton1->setGeometry(667, 586, 70, 20);
    PushButton1->setDefault(true);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    Event_Open();
}

void TextWindow::setText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    TextArea1->setPlainText(shown);
}

QString TextWindow::text() const
{
    return TextArea1->toPlainText();
}

void TextWindow::Event_Open()
{
    int height = 614;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        height = qMax(200, screen->availableGeometry().height() - 60);
    resize(765, height);
}

void TextWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Event_Activate();
}

void TextWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The text grows with the window; the buttons keep to its bottom right.
    TextArea1->setGeometry(4, 2, width() - 10, height() - 39);
    PushButton2->move(width() - 190, height() - 28);
    PushButton1->move(width() - 98, height() - 28);
}

void TextWindow::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    if (saveable == 0) {
        PushButton1->hide();
        PushButton2->hide();
    }
    if (saveable == 2)
        PushButton1->setText(QStringLiteral("OK"));
    if (AllowActiveLine)
        setWindowTitle(QLatin1String(kActiveLineTitle));
}

void TextWindow::PushButton1_Action()
{
    Window1::instance()->TextWindowReturn = 0;
    if (saveable == 1) {
        if (f.isEmpty()) {
            msgBox(QStringLiteral("Asked to save to a Nil file pointer"));
        } else {
            QFile out(f);
            QByteArray bytes = text().replace(QLatin1Char('\r'), QLatin1Char('\n')).toUtf8();
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                out.write(bytes) != bytes.size() || !out.flush()) {
                msgBox(QStringLiteral("Unable to write to file ") + f);
                return; // keep the window, and the text, open
            }
            out.close();
        }
    } else if (saveable == 2) {
        Window1::instance()->TextWindowReturn = 2;
        processresult();
    }
    accept();
    close();
}

void TextWindow::PushButton2_Action()
{
    Window1::instance()->TextWindowReturn = 0;
    reject();
    close();
}

void TextWindow::processresult()
{
}

QStringList TextWindow::pathMenuItems()
{
    return {QStringLiteral("Show file in file manager"), QStringLiteral("Delete this file"),
            QStringLiteral("Open with default program"), QStringLiteral("Info")};
}

bool TextWindow::TextArea1_ConstructContextualMenu(QMenu* base)
{
    if (!AllowActiveLine)
        return true;
    const QString selected = TextArea1->textCursor().selectedText();
    if (selected.isEmpty())
        return false;
    if (!selected.startsWith(QLatin1Char('/')))
        return true;
    for (const QString& item : pathMenuItems())
        base->addAction(item);
    return true;
}

QStringList TextWindow::blockAround(const QString& text, int from)
{
    int end = text.indexOf(QLatin1String("\n\n"), qMax(0, from));
    if (end < 0)
        end = text.size();
    int begin = text.lastIndexOf(QLatin1String("\n\n"), qMax(0, end - 1));
    begin = begin < 0 ? 0 : begin + 2;
    if (begin > end)
        begin = end;
    return text.mid(begin, end - begin).split(QLatin1Char('\n'));
}

bool TextWindow::TextArea1_ContextualMenuAction(const QString& caption)
{
    QTextCursor cursor = TextArea1->textCursor();
    // The selection comes with U+2029 where lines end.
    QString path = cursor.selectedText().replace(QChar(0x2029), QLatin1Char('\n')).trimmed();
    if (!path.startsWith(QLatin1Char('/')))
        return true;
    if (path.endsWith(QLatin1Char('\n')))
        path.chop(1);
    const QString all = text();
    const QStringList block = blockAround(all, qMax(0, cursor.selectionEnd() - 1));
    const int choice = int(pathMenuItems().indexOf(caption));

    if (choice == 0) {
        revealInFinder(path);
    } else if (choice == 2) {
        openWithDefault(path);
    } else if (choice == 3) {
        const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        QString msg = name + QStringLiteral(": respective modification dates are:") + QLatin1Char('\n');
        for (const QString& line : block) {
            msg += QStringLiteral("   ") +
                   QFileInfo(line).lastModified().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\n');
        }
        const QString found = runShellQuiet(texProgram(QStringLiteral("kpsewhich")) + QLatin1Char(' ') +
                                            shellQuote(name));
        if (!found.isEmpty())
            msg += QStringLiteral("TeX uses only ") + found;
        msgBox(msg);
    } else if (choice == 1) {
        QFileInfo item(path);
        if (!item.exists() && !item.isSymLink()) {
            msgBox(QStringLiteral("Cannot delete file ") + path);
            return true;
        }
        if (!askYesNo(QStringLiteral("Delete ") + path + QStringLiteral("?")))
            return true;
        // Files the user may remove go directly; system files through the root route.
        if (QFileInfo(item.absolutePath()).isWritable()) {
            if (!QFile::remove(path)) {
                msgBox(QStringLiteral("Error ") + QString::number(int(QFile(path).error())) +
                       QStringLiteral(" trying to delete ") + path);
                return true;
            }
            cursor.removeSelectedText();
        } else {
            runAsRoot(QStringLiteral("/usr/bin/sudo /bin/rm -f ") + shellQuote(path));
            if (QFileInfo::exists(path)) {
                msgBox(QStringLiteral("File not deleted"));
                return true;
            }
            cursor.removeSelectedText();
            msgBox(QStringLiteral("You should run 'sudo mktexlsr' when finished with deletions"));
        }
    }
    return true;
}

void showResults(const QString& text)
{
    TextWindow* viewer = TextWindow::instance();
    showWindow(viewer);
    viewer->setText(text);
    viewer->orig = text;
}

void showFile(const QString& file, bool saveable, bool allowActiveLine)
{
    QString contents;
    QFile in(file);
    if (in.open(QIODevice::ReadOnly))
        contents = QString::fromUtf8(in.readAll());
    TextWindow* viewer = TextWindow::instance();
    viewer->saveable = saveable ? 1 : 0;
    viewer->f = file;
    viewer->AllowActiveLine = allowActiveLine;
    showWindow(viewer);
    viewer->setText(contents);
    viewer->orig = contents;
}

} // namespace qlk
