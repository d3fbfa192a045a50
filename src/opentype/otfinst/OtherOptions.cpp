#include "opentype/otfinst/OtherOptions.h"

#include "ui/SingleWindow.h"

namespace qlk {

OtherOptions* OtherOptions::instance()
{
    return singleWindow<OtherOptions>();
}

OtherOptions::OtherOptions()
{
    setWindowTitle(QStringLiteral("Other Otfinst Options"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    resize(600, 400);
    StaticText1 = new QLabel(
        QStringLiteral("The options you set here will be passed along to each otfinst script. Note that the options to "
                       "include kern and ligature information are always selected, as are Lining Figures. Normally, Old "
                       "Style Figures is useful, if available, but other Figure options are of secondary utility at "
                       "best."),
        this);
    StaticText1->setWordWrap(true);
    StaticText1->setGeometry(16, 13, 568, 68);
}

} // namespace qlk
