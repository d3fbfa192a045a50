#pragma once
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

class QMenu;

namespace qlk {

class TextWindow;

// The text area of the viewer; its context menu is built by the window.
class TextWindowArea : public QPlainTextEdit {
public:
    explicit TextWindowArea(TextWindow* owner);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TextWindow* owner_;
};

// The shared text viewer: a text and two buttons, in one of three modes
// (`saveable`): 0 view only, 1 save to the file `f`, 2 confirm (OK/Cancel,
// answered through the main window's TextWindowReturn).
class TextWindow : public QDialog {
    Q_OBJECT
public:
    // The accessor: the open viewer, or a new one.
    static TextWindow* instance();

    TextWindow();

    bool activated = false;
    QString orig;
    int saveable = 0;
    QString f;
    bool AllowActiveLine = false;
    QStringList disable;
    QStringList enable;

    TextWindowArea* TextArea1;
    QPushButton* PushButton1; // "Save", or "OK" in mode 2
    QPushButton* PushButton2; // "Cancel"

    // Puts a text into the area; CR and CR LF line ends are shown as line breaks.
    void setText(const QString& text);
    QString text() const;

    // The context menu's items for the current selection; false when the
    // selection is empty (nothing to offer, not handled).
    bool TextArea1_ConstructContextualMenu(QMenu* base);
    bool TextArea1_ContextualMenuAction(const QString& caption);
    void PushButton1_Action();
    void PushButton2_Action();
    void Event_Open();
    void Event_Activate();
    void processresult();

    // The menu items offered for a path line.
    static QStringList pathMenuItems();
    // The run of lines between empty lines around position `from` of `text`.
    static QStringList blockAround(const QString& text, int from);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// Shows a text in the viewer, modelessly; the mode stays as it is.
void showResults(const QString& text);
// Shows a file's contents, modelessly, with the mode and the context menu chosen.
void showFile(const QString& file, bool saveable, bool allowActiveLine);

} // namespace qlk
