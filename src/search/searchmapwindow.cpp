#include "search/searchmapwindow.h"

#include "search/TreeSearch.h"
#include "services/Runners.h"
#include "textview/TextWindow.h"
#include "ui/SingleWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace qlk {

searchmapwindow* searchmapwindow::instance() { return singleWindow<searchmapwindow>(); }

searchmapwindow::searchmapwindow()
{
    setWindowTitle(QStringLiteral("Search fonts maps"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    resize(548, 231);

    StaticText1 = new QLabel(
        QStringLiteral("This tool allows you to search font map file contents for the text you specify. "
                       "You should start your search with 'Case sensitive' checked. "),
        this);
    StaticText1->setGeometry(3, 5, 525, 55);
    StaticText1->setWordWrap(true);
    QFont bold = StaticText1->font();
    bold.setBold(true);
    StaticText1->setFont(bold);

    StaticText2 = new QLabel(QStringLiteral("for text:"), this);
    StaticText2->setGeometry(14, 164, 57, 20);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(82, 162, 446, 22);
    TextField1->installEventFilter(this);

    PushButton1 = new QPushButton(QStringLiteral("Start"), this);
    PushButton1->setGeometry(450, 197, 80, 20);
    PushButton1->setDefault(true);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setGeometry(345, 197, 80, 20);

    GroupBox1 = new QGroupBox(QStringLiteral("Search:"), this);
    GroupBox1->setGeometry(12, 72, 243, 76);
    RadioButton1[0] = new QRadioButton(QStringLiteral("texmf trees only"), GroupBox1);
    RadioButton1[0]->setGeometry(19 - 12, 95 - 72, 152, 20);
    RadioButton1[1] = new QRadioButton(QStringLiteral("texmf trees plus home directory"), GroupBox1);
    RadioButton1[1]->setGeometry(19 - 12, 120 - 72, 236 - 12, 20);

    StaticText3 = new QLabel(this);
    StaticText3->setGeometry(12, 197, 321, 20);
    StaticText3->setStyleSheet(QStringLiteral("color: #C20005;"));

    CheckBox1 = new QCheckBox(QStringLiteral("Case-sensitive search"), this);
    CheckBox1->setGeometry(285, 88, 243, 20);

    setTabOrder(TextField1, PushButton1);
    setTabOrder(PushButton1, PushButton2);
    setTabOrder(PushButton2, RadioButton1[0]);
    setTabOrder(RadioButton1[0], RadioButton1[1]);
    setTabOrder(RadioButton1[1], CheckBox1);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });

    RadioButton1_Open(0);
    RadioButton1_Open(1);
    CheckBox1_Open();
}

bool searchmapwindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextField1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Return and Enter alike start the search from the field itself,
        // so that the default button does not run it a second time.
        const QString text = key->key() == Qt::Key_Enter ? QString(QChar(13)) : key->text();
        if (TextField1_KeyDown(text))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool searchmapwindow::TextField1_KeyDown(const QString& key)
{
    if (key == QString(QChar(13))) {
        go();
        return true;
    }
    return false;
}

void searchmapwindow::PushButton1_Action() { go(); }

void searchmapwindow::PushButton2_Action() { close(); }

void searchmapwindow::RadioButton1_Open(int index)
{
    if (index == 0)
        RadioButton1[0]->setChecked(true);
}

void searchmapwindow::CheckBox1_Open() { CheckBox1->setChecked(false); }

void searchmapwindow::go()
{
    const bool plusHome = RadioButton1[1]->isChecked();
    const bool caseSensitive = CheckBox1->isChecked();
    const QString text = trimWhite(TextField1->text());
    if (text.isEmpty())
        return;
    StaticText3->setText(QStringLiteral("Searching ..."));
    repaint();

    MapSearchView view;
    view.showResults = [](const QString& report) {
        showResults(report);
        TextWindow::instance()->repaint();
    };
    view.setTitle = [](const QString& title) {
        TextWindow* viewer = TextWindow::instance();
        viewer->setWindowTitle(title);
        viewer->repaint();
    };
    view.closeDialog = [this] { close(); };
    searchMaps(text, plusHome, caseSensitive, view);
}

} // namespace qlk
