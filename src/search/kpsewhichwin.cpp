#include "search/kpsewhichwin.h"

#include "search/TreeSearch.h"
#include "services/Runners.h"
#include "textview/TextWindow.h"
#include "ui/SingleWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qlk {

kpsewhichwin* kpsewhichwin::instance() { return singleWindow<kpsewhichwin>(); }

kpsewhichwin::kpsewhichwin()
{
    setWindowTitle(QStringLiteral("Search TeX Trees"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    resize(578, 142);

    StaticText1 = new QLabel(
        QStringLiteral("This tool searches for matching filenames only in your TeX trees. It's a little "
                       "like kpsewhich, but with the wildcard * permitted. "),
        this);
    StaticText1->setGeometry(6, 5, 572, 44);
    StaticText1->setWordWrap(true);
    StaticText2 = new QLabel(QStringLiteral("Search term:"), this);
    StaticText2->setGeometry(8, 71, 87, 20);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(107, 69, 436, 22);
    TextField1->installEventFilter(this);
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setGeometry(381, 106, 80, 20);
    PushButton2 = new QPushButton(QStringLiteral("OK"), this);
    PushButton2->setGeometry(473, 106, 80, 20);
    PushButton2->setDefault(true);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
}

bool kpsewhichwin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextField1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->key() == Qt::Key_Enter ? QString(QChar(13)) : key->text();
        if (TextField1_KeyDown(text))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void kpsewhichwin::keyPressEvent(QKeyEvent* event)
{
    // A plain window has no cancel button of its own: Escape stands for "Cancel".
    if (event->key() == Qt::Key_Escape) {
        PushButton1_Action();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool kpsewhichwin::TextField1_KeyDown(const QString& key)
{
    if (key == QString(QChar(13))) {
        go();
        return true;
    }
    return false;
}

void kpsewhichwin::PushButton1_Action() { close(); }

void kpsewhichwin::PushButton2_Action() { go(); }

void kpsewhichwin::go()
{
    const QString term = trimWhite(TextField1->text());
    if (!term.isEmpty()) {
        const QString found = findInTrees(term);
        TextWindow* viewer = TextWindow::instance();
        viewer->setText(found);
        showWindow(viewer);
    }
    close();
}

} // namespace qlk
