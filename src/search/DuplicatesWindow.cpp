#include "search/DuplicatesWindow.h"

#include "search/Duplicates.h"
#include "textview/TextWindow.h"
#include "ui/SingleWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qlk {

DuplicatesWindow* DuplicatesWindow::instance() { return singleWindow<DuplicatesWindow>(); }

DuplicatesWindow::DuplicatesWindow()
{
    setWindowTitle(QStringLiteral("Find All Duplicate File Names"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    resize(600, 400);

    StaticText1 = new QLabel(
        QStringLiteral("Pressing Go will initiate a search of your texmf trees for duplicate file names. Only "
                       "those names meaningful to TeX are catalogued. If duplicates are found, the findings are "
                       "reported to a text file in your Documents folder. These operations may take several "
                       "minutes."),
        this);
    StaticText1->setGeometry(7, 9, 586, 60);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TextArea1 = new QPlainTextEdit(this);
    TextArea1->setGeometry(5, 80, 588, 185);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(4, 276, 589, 22);
    TextField1->setStyleSheet(QStringLiteral("color: #8A0003;"));
    StaticText2 = new QLabel(this);
    StaticText2->setGeometry(6, 371, 379, 20);
    PushButton3 = new QPushButton(QStringLiteral("Show report"), this);
    PushButton3->setGeometry(425, 338, 111, 20);
    PushButton3->setAutoDefault(false);
    PushButton3->hide();
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setGeometry(397, 371, 80, 20);
    PushButton1->setAutoDefault(false);
    PushButton2 = new QPushButton(QStringLiteral("Go"), this);
    PushButton2->setGeometry(489, 371, 80, 20);
    PushButton2->setDefault(true);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    Event_Open();
}

void DuplicatesWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        PushButton1_Action();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        PushButton2_Action();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DuplicatesWindow::Event_Open() { types = duplicateTypes(); }

void DuplicatesWindow::PushButton1_Action() { close(); }

void DuplicatesWindow::PushButton2_Action() { init(); }

void DuplicatesWindow::PushButton3_Action() { showFile(dupsfile, false, true); }

void DuplicatesWindow::init()
{
    // Each status change shows at once; what the user types meanwhile waits.
    auto redraw = [this] {
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    PushButton3->hide();
    DuplicateView view;
    view.status = [this, redraw](const QString& text) {
        TextField1->setText(text);
        redraw();
    };
    view.progress = [this, redraw](const QString& text) {
        TextArea1->setPlainText(text);
        redraw();
    };
    view.reportName = [this, redraw](const QString& text) {
        StaticText2->setText(text);
        redraw();
    };
    const DuplicateResult result = findDuplicates(view);
    dupsfile = result.reportFile;
    if (result.closeWindow) {
        close();
        return;
    }
    if (result.finished) {
        PushButton3->show();
        redraw();
    }
}

} // namespace qlk
