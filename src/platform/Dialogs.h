#pragma once
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;

namespace qlk {

// Every message box, Yes/No question, file or folder chooser and modal
// window goes through the current dialog service. The program installs one
// that shows real widgets; tests install ScriptedDialogs and answer by script.
class DialogService {
public:
    virtual ~DialogService() = default;
    // A plain message box with one OK button.
    virtual void message(const QString& text) = 0;
    // A Yes/No question; true for "Yes".
    virtual bool question(const QString& text) = 0;
    // Choosers; the empty text when the user cancelled.
    virtual QString chooseFile(const QString& title, const QString& startFolder,
                               const QString& filter) = 0;
    virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;
    virtual QString chooseSaveFile(const QString& title, const QString& suggestedPath) = 0;
    // Shows a dialog modally and returns its result code.
    virtual int runModal(QDialog* dialog) = 0;
};

// The service in force; a ScriptedDialogs that answers "No" to everything
// until the program or a test installs another.
DialogService& dialogs();
// Installs `service` (not owned); nullptr restores the default.
void setDialogService(DialogService* service);

// Shorthands used everywhere.
void msgBox(const QString& text);
bool askYesNo(const QString& text);

// A dialog service answered by script. It keeps a transcript of everything
// shown, in order, each entry prefixed by its kind ("message: ", "question: ",
// "file: ", "folder: ", "save: ", "modal: ").
class ScriptedDialogs : public DialogService {
public:
    void message(const QString& text) override;
    bool question(const QString& text) override;
    QString chooseFile(const QString& title, const QString& startFolder,
                       const QString& filter) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    QString chooseSaveFile(const QString& title, const QString& suggestedPath) override;
    int runModal(QDialog* dialog) override;

    QStringList transcript;
    QStringList messages;   // the texts of message boxes alone
    QStringList questions;  // the texts of questions alone
    // Answers, taken from the front; when a list runs out questions answer
    // `defaultAnswer` and choosers answer the empty text.
    QList<bool> answers;
    bool defaultAnswer = false;
    QStringList files;
    QStringList folders;
    QStringList saveFiles;
    // Runs for each modal dialog; its return value is the dialog's result.
    // Without one a modal dialog is rejected (0) unseen.
    std::function<int(QDialog*)> onModal;
};

} // namespace qlk
