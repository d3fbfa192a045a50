#include "search/SourceWindow.h"

#include "search/KnownFonts.h"
#include "texenv/TexEnv.h"
#include "ui/SingleWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

namespace qlk {

SourceWindow* SourceWindow::instance() { return singleWindow<SourceWindow>(); }

SourceWindow::SourceWindow()
{
    setWindowTitle(QStringLiteral("Source files for font names"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    setMinimumSize(400, 300);
    resize(755, 402);

    StaticText1 = new QLabel(QStringLiteral("Check the following files for known font names"), this);
    StaticText1->setGeometry(5, 5, 584, 20);
    TextArea1 = new QPlainTextEdit(this);
    TextArea1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StaticText2 = new QLabel(sourcesHelpText(), this);
    StaticText2->setWordWrap(true);
    StaticText2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1 = new QPushButton(QStringLiteral("OK"), this);
    // Neither button answers Return or Escape: only a press leaves the dialog.
    PushButton1->setAutoDefault(false);
    PushButton2->setAutoDefault(false);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    Event_Open();
}

void SourceWindow::resizeEvent(QResizeEvent* event)
{
    const int w = event->size().width();
    const int h = event->size().height();
    TextArea1->setGeometry(5, 33, w - 10, h - 402 + 155);
    StaticText2->setGeometry(5, h - 402 + 205, w - 10, 150);
    PushButton2->setGeometry(w - 755 + 563, h - 402 + 370, 80, 20);
    PushButton1->setGeometry(w - 755 + 655, h - 402 + 370, 80, 20);
    QDialog::resizeEvent(event);
}

void SourceWindow::Event_Open() { load(); }

void SourceWindow::load() { TextArea1->setPlainText(sourceMapFiles.join(QLatin1Char('\n'))); }

void SourceWindow::save() { saveSourceList(sourceListFromText(TextArea1->toPlainText())); }

void SourceWindow::PushButton1_Action()
{
    save();
    accept();
    close();
}

void SourceWindow::PushButton2_Action()
{
    reject();
    close();
}

} // namespace qlk
