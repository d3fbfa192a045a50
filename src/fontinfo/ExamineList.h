#pragma once
#include "ui/FileDrop.h"

#include <QStringList>
#include <QTreeWidget>

#include <functional>

namespace qlk {

// The list box of the inspection windows: columns whose widths are
// percentages of the list's width, striped rows, rows kept in the order they
// were added (a click on a heading never sorts), and optionally a drop
// target for files and folders.
class ExamineList : public QTreeWidget {
    Q_OBJECT
public:
    ExamineList(const QStringList& headings, const QList<int>& percentWidths, QWidget* parent = nullptr);

    // Called with the local paths of the items dropped on the list; a drop
    // without files or folders is not offered to it.
    std::function<void(const QStringList& paths)> onDrop;

    // Lets the user edit the cells of `column` in place (the others stay read-only).
    void setEditableColumn(int column);

    int addRow(const QStringList& cells);
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    int rowCount() const { return topLevelItemCount(); }
    void deleteAllRows() { clear(); }
    // The selected row, -1 when none.
    int selectedRow() const;
    void selectRow(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void applyWidths();
    QList<int> percent_;
    int editableColumn_ = -1;
};

} // namespace qlk
