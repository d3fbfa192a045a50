#pragma once

class QWidget;

namespace qlk {

// The Edit menu's commands, carried out by the text widgets' own editing.
enum class EditCommand { Undo, Cut, Copy, Paste, Delete, SelectAll };

// The text field or text area that edit commands act on when `focus` has
// the keyboard focus: a line edit, text edit or plain text edit, or the line
// edit inside a combo box or spin box; nullptr for any other widget.
QWidget* textEditTarget(QWidget* focus);
// Whether `command` would change or copy something in `target` now.
bool canEdit(const QWidget* target, EditCommand command);
// Carries out `command` on `target`; false (and nothing done) when it cannot act.
bool applyEdit(QWidget* target, EditCommand command);

} // namespace qlk
