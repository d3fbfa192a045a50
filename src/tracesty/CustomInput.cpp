#include "tracesty/CustomInput.h"

#include "tracesty/TraceSty.h"
#include "ui/SingleWindow.h"

namespace qlk {

CustomInput* CustomInput::instance()
{
    return singleWindow<CustomInput>();
}

CustomInput::CustomInput()
{
    setWindowTitle(QStringLiteral("Custom input"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setModal(true);
    setFixedSize(490, 205);

    StaticText1 = new QLabel(QStringLiteral("Enter below a single math character command. Eg, \\mathbf{\\alpha}, (you "
                                            "may need \\usepackage{bm} for this to be understood), or \\mathj to check "
                                            "if there is a dotless j."),
                             this);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setGeometry(3, 4, 484, 53);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(5, 93, 480, 22);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setGeometry(301, 176, 80, 20);
    PushButton2->setAutoDefault(false);
    PushButton1 = new QPushButton(QStringLiteral("Go"), this);
    PushButton1->setGeometry(393, 176, 80, 20);
    PushButton1->setDefault(true);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
}

void CustomInput::PushButton1_Action()
{
    TraceSty::instance()->custom = TextField1->text().trimmed();
    accept();
}

void CustomInput::PushButton2_Action()
{
    TraceSty::instance()->custom.clear();
    accept();
}

} // namespace qlk
