#pragma once
#include "fontinfo/DviListing.h"

#include <QAbstractTableModel>
#include <QTreeView>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>

namespace qlk {

// The rows of a DVI listing as a table for a view: opcode, label and the
// text with its control characters escaped, made when a row is drawn. The
// rows stay the window's; a listing of a million instructions costs its
// rows, not a million list items.
class DviRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DviRowsModel(const QStringList& headings, QObject* parent = nullptr);

    // Shows `rows` (kept by the caller while shown), or none.
    void setRows(const DviRows* rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The text of a cell as shown.
    QString cell(int row, int column) const;

private:
    QStringList headings_;
    const DviRows* rows_ = nullptr;
};

// The list of the DVI window: striped rows in the order read, columns whose
// widths are percentages of the list's width, and a drop target for files.
class DviList : public QTreeView {
    Q_OBJECT
public:
    DviList(const QStringList& headings, const QList<int>& percentWidths, QWidget* parent = nullptr);

    std::function<void(const QStringList& paths)> onDrop;

    void setRows(const DviRows* rows) { model_->setRows(rows); }
    void deleteAllRows() { model_->setRows(nullptr); }
    int rowCount() const { return model_->rowCount(); }
    QString cell(int row, int column) const { return model_->cell(row, column); }
    // The headings, as the other inspection lists give them.
    QTreeWidgetItem* headerItem() const { return headerItem_.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void applyWidths();
    DviRowsModel* model_;
    QList<int> percent_;
    std::unique_ptr<QTreeWidgetItem> headerItem_;
};

} // namespace qlk
