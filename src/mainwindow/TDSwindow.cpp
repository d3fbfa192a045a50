#include "mainwindow/TDSwindow.h"

#include "mainwindow/Window1.h"
#include "services/FileHelpers.h"
#include "ui/SingleWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace qlk {

TDSwindow* TDSwindow::instance()
{
    return singleWindow<TDSwindow>();
}

TDSwindow::TDSwindow()
{
    setWindowTitle(QStringLiteral("TDS Checker"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(544, 251);
    setModal(true);

    StaticText1 = new QLabel(QStringLiteral("Untitled"), this);
    StaticText1->setGeometry(10, 14, 524, 183);
    StaticText1->setTextFormat(Qt::PlainText);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setGeometry(334, 218, 80, 20);
    PushButton2 = new QPushButton(QStringLiteral("Continue"), this);
    PushButton2->setGeometry(426, 218, 80, 20);
    PushButton3 = new QPushButton(QStringLiteral("Show Folder"), this);
    PushButton3->setGeometry(200, 218, 112, 20);
    for (QPushButton* b : {PushButton1, PushButton2, PushButton3}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(PushButton1, PushButton2);
    setTabOrder(PushButton2, PushButton3);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
}

void TDSwindow::PushButton1_Action()
{
    Window1::instance()->TDSResult = 0;
    answered_ = true;
    reject();
    close();
}

void TDSwindow::PushButton2_Action()
{
    Window1::instance()->TDSResult = 1;
    answered_ = true;
    accept();
    close();
}

void TDSwindow::PushButton3_Action()
{
    revealInFinder(folder);
}

void TDSwindow::keyPressEvent(QKeyEvent* event)
{
    // Escape would reject the dialog without an answer.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDSwindow::showEvent(QShowEvent* event)
{
    answered_ = false;
    QDialog::showEvent(event);
}

void TDSwindow::closeEvent(QCloseEvent* event)
{
    // Only the two answers close the dialog.
    if (!answered_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace qlk
