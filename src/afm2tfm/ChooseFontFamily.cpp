#include "afm2tfm/ChooseFontFamily.h"

#include "afm2tfm/afm2tfmWin.h"
#include "ui/SingleWindow.h"

namespace qlk {

ChooseFontFamily* ChooseFontFamily::instance()
{
    return singleWindow<ChooseFontFamily>();
}

ChooseFontFamily::ChooseFontFamily()
{
    setWindowTitle(QStringLiteral("Choose Font Family"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setModal(true);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    resize(330, 134);

    Label1 = new QLabel(QStringLiteral("The fonts in your folder have more than one possible Family Name. Please "
                                       "choose the most suitable from the popup menu below."),
                        this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(3, 4, 324, 52);
    PopupMenu1 = new QComboBox(this);
    PopupMenu1->setGeometry(69, 71, 192, 20);
    PushButton1 = new QPushButton(QStringLiteral("OK"), this);
    PushButton1->setGeometry(237, 103, 80, 20);
    PushButton1->setAutoDefault(false);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
}

void ChooseFontFamily::PushButton1_Action()
{
    afm2tfmWin::instance()->TextField2->setText(PopupMenu1->currentText());
    accept();
}

} // namespace qlk
