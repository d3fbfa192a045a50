#include "search/FontDBWindow.h"

#include "platform/Dialogs.h"
#include "search/KnownFonts.h"
#include "search/SourceWindow.h"
#include "texenv/TexEnv.h"
#include "ui/KeyDown.h"
#include "ui/SingleWindow.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qlk {

FontDBWindow* FontDBWindow::instance() { return singleWindow<FontDBWindow>(); }

FontDBWindow::FontDBWindow()
{
    setWindowTitle(QStringLiteral("Known fonts"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(793, 499);

    StaticText1 = new QLabel(
        QStringLiteral("Information concerning the fonts below is gathered from TeXLive fontname files."), this);
    StaticText1->setGeometry(6, 5, 522, 20);
    StaticText2 = new QLabel(QStringLiteral("TeX name"), this);
    StaticText2->setGeometry(6, 26, 75, 20);
    StaticText3 = new QLabel(QStringLiteral("PostScript name"), this);
    StaticText3->setGeometry(102, 26, 171, 20);
    StaticText4 = new QLabel(QStringLiteral("Name/ID used by Font Supplier"), this);
    StaticText4->setGeometry(406, 26, 342, 20);
    TextArea1 = new QPlainTextEdit(this);
    TextArea1->setGeometry(5, 51, 783, 390);
    TextArea1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextArea1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The map lines are laid out in columns with blanks; the headings above
    // line up with them only in a fixed-pitch font.
    TextArea1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    StaticText5 = new QLabel(QStringLiteral("Search for:"), this);
    StaticText5->setGeometry(6, 442, 100, 20);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(6, 466, 146, 22);
    TextField1->installEventFilter(this);
    PushButton2 = new QPushButton(QStringLiteral("Refresh"), this);
    PushButton2->setGeometry(185, 466, 112, 20);
    PushButton2->setAutoDefault(false);
    PushButton1 = new QPushButton(QStringLiteral("Specify sources"), this);
    PushButton1->setGeometry(371, 466, 157, 20);
    PushButton1->setAutoDefault(false);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
}

bool FontDBWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (forwardKeyDown(watched, event, TextField1, [this](const QString& key) { return TextField1_KeyDown(key); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool FontDBWindow::TextField1_KeyDown(const QString& key)
{
    if (!isReturnKey(key))
        return false;
    refresh();
    return true;
}

void FontDBWindow::refresh()
{
    QStringList lines = knownFontLines(TextField1->text(), sourceMapFiles);
    // A CR left before a map's LF is part of its line, not a line of its own.
    for (QString& line : lines) {
        if (line.endsWith(cr))
            line.chop(1);
    }
    TextArea1->setPlainText(lines.join(QLatin1Char('\n')));
}

void FontDBWindow::PushButton1_Action()
{
    dialogs().runModal(SourceWindow::instance());
    refresh();
}

void FontDBWindow::PushButton2_Action() { refresh(); }

} // namespace qlk
