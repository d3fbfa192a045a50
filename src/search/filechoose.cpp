#include "search/filechoose.h"

#include "platform/Dialogs.h"
#include "prefs/PrefsStore.h"
#include "search/XHeight.h"
#include "services/FileTypes.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"
#include "ui/KeyDown.h"
#include "ui/SingleWindow.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qlk {

filechoose* filechoose::instance() { return singleWindow<filechoose>(); }

filechoose::filechoose()
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(449, 204);

    StaticText1 = new QLabel(
        QStringLiteral("If the file is installed in a texmf tree, you may just enter the file name. (Correct case "
                       "may be important as the search uses kpsewhich.) Alternatively, press 'Browse' to "
                       "navigate to the file. "),
        this);
    StaticText1->setGeometry(5, 6, 439, 66);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TextField1 = new QPlainTextEdit(this);
    TextField1->setGeometry(5, 84, 439, 45);
    TextField1->setTabChangesFocus(true);
    TextField1->installEventFilter(this);
    PushButton3 = new QPushButton(QStringLiteral("Browse"), this);
    PushButton3->setGeometry(165, 139, 80, 20);
    PushButton3->setAutoDefault(false);
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setGeometry(257, 139, 80, 20);
    PushButton1->setAutoDefault(false);
    PushButton2 = new QPushButton(QStringLiteral("OK"), this);
    PushButton2->setGeometry(349, 139, 80, 20);
    PushButton2->setDefault(true);
    StaticText2 = new QLabel(this);
    StaticText2->setGeometry(7, 172, 238, 20);
    StaticText2->setStyleSheet(QStringLiteral("color: #C20005;"));

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
}

bool filechoose::eventFilter(QObject* watched, QEvent* event)
{
    if (forwardKeyDown(watched, event, TextField1, [this](const QString& key) { return TextField1_KeyDown(key); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

void filechoose::keyPressEvent(QKeyEvent* event)
{
    // Escape is the window's cancel button.
    if (event->key() == Qt::Key_Escape) {
        PushButton1_Action();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool filechoose::TextField1_KeyDown(const QString& key)
{
    if (!isReturnKey(key))
        return false;
    go();
    return true;
}

void filechoose::PushButton1_Action() { close(); }

void filechoose::PushButton2_Action() { go(); }

void filechoose::PushButton3_Action()
{
    const QString file = dialogs().chooseFile(QStringLiteral("Select a font/metric file (tfm, pfb, pfa, ttf, afm)"),
                                              tfmFolder, fileTypeFont().chooserFilter());
    if (file.isEmpty())
        return;
    TextField1->setPlainText(file);
    StaticText2->clear();
    tfmFolder = QFileInfo(file).absolutePath();
    setpref(QStringLiteral("PathToTFM"), tfmFolder);
    repaint();
    go();
}

void filechoose::go()
{
    const QString name = trimWhite(TextField1->toPlainText());
    StaticText2->clear();
    repaint();
    if (name.isEmpty()) {
        close();
        return;
    }
    StaticText2->setText(xHeightResult(name));
}

} // namespace qlk
