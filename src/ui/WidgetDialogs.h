#pragma once
#include "platform/Dialogs.h"

namespace qlk {

// The dialog service of the running program: real message boxes and choosers.
class WidgetDialogs : public DialogService {
public:
    void message(const QString& text) override;
    bool question(const QString& text) override;
    QString chooseFile(const QString& title, const QString& startFolder,
                       const QString& filter) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    QString chooseSaveFile(const QString& title, const QString& suggestedPath) override;
    int runModal(QDialog* dialog) override;
};

// Connects the services' hooks to the windows: the error report of failed
// commands, the main window's wait cursor, raising the main window.
void installGuiHooks();

} // namespace qlk
