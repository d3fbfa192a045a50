#include "ui/TextEditing.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace qlk {

namespace {
bool clipboardHasText()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
}

// Both text areas answer the same questions; only the class differs.
template <typename Area>
bool canEditArea(const Area* area, EditCommand command)
{
    const bool editable = !area->isReadOnly();
    const bool selected = area->textCursor().hasSelection();
    switch (command) {
    case EditCommand::Undo: return editable && area->document()->isUndoAvailable();
    case EditCommand::Cut:
    case EditCommand::Delete: return editable && selected;
    case EditCommand::Copy: return selected;
    case EditCommand::Paste: return editable && area->canPaste();
    case EditCommand::SelectAll: return !area->document()->isEmpty();
    }
    return false;
}

template <typename Area>
void applyToArea(Area* area, EditCommand command)
{
    switch (command) {
    case EditCommand::Undo: area->undo(); break;
    case EditCommand::Cut: area->cut(); break;
    case EditCommand::Copy: area->copy(); break;
    case EditCommand::Paste: area->paste(); break;
    case EditCommand::Delete: {
        QTextCursor cursor = area->textCursor();
        cursor.removeSelectedText();
        area->setTextCursor(cursor);
        break;
    }
    case EditCommand::SelectAll: area->selectAll(); break;
    }
}
} // namespace

QWidget* textEditTarget(QWidget* focus)
{
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
        return focus;
    if (auto* combo = qobject_cast<QComboBox*>(focus))
        return combo->lineEdit();
    if (qobject_cast<QAbstractSpinBox*>(focus))
        return focus->findChild<QLineEdit*>();
    return nullptr;
}

bool canEdit(const QWidget* target, EditCommand command)
{
    if (!target || !target->isEnabled())
        return false;
    if (auto* field = qobject_cast<const QLineEdit*>(target)) {
        const bool editable = !field->isReadOnly();
        // A password's characters are not handed out.
        const bool selected = field->hasSelectedText() && field->echoMode() == QLineEdit::Normal;
        switch (command) {
        case EditCommand::Undo: return editable && field->isUndoAvailable();
        case EditCommand::Cut: return editable && selected;
        case EditCommand::Copy: return selected;
        case EditCommand::Paste: return editable && clipboardHasText();
        case EditCommand::Delete: return editable && field->hasSelectedText();
        case EditCommand::SelectAll: return !field->text().isEmpty();
        }
    }
    if (auto* area = qobject_cast<const QTextEdit*>(target))
        return canEditArea(area, command);
    if (auto* area = qobject_cast<const QPlainTextEdit*>(target))
        return canEditArea(area, command);
    return false;
}

bool applyEdit(QWidget* target, EditCommand command)
{
    if (!canEdit(target, command))
        return false;
    if (auto* field = qobject_cast<QLineEdit*>(target)) {
        switch (command) {
        case EditCommand::Undo: field->undo(); break;
        case EditCommand::Cut: field->cut(); break;
        case EditCommand::Copy: field->copy(); break;
        case EditCommand::Paste: field->paste(); break;
        case EditCommand::Delete: field->del(); break;
        case EditCommand::SelectAll: field->selectAll(); break;
        }
    } else if (auto* area = qobject_cast<QTextEdit*>(target)) {
        applyToArea(area, command);
    } else if (auto* area = qobject_cast<QPlainTextEdit*>(target)) {
        applyToArea(area, command);
    }
    return true;
}

} // namespace qlk
