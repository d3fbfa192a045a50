#pragma once
#include <QLabel>
#include <QWidget>

namespace qlk {

// A fixed note about further otfinst options.
class OtherOptions : public QWidget {
    Q_OBJECT
public:
    static OtherOptions* instance();
    OtherOptions();

    QLabel* StaticText1;
};

} // namespace qlk
