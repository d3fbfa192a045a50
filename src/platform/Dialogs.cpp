#include "platform/Dialogs.h"

namespace qlk {

namespace {
DialogService* current = nullptr;

ScriptedDialogs& fallback()
{
    static ScriptedDialogs instance;
    return instance;
}

QString takeFirstOrEmpty(QStringList& list)
{
    return list.isEmpty() ? QString() : list.takeFirst();
}
} // namespace

DialogService& dialogs()
{
    return current ? *current : fallback();
}

void setDialogService(DialogService* service)
{
    current = service;
}

void msgBox(const QString& text)
{
    dialogs().message(text);
}

bool askYesNo(const QString& text)
{
    return dialogs().question(text);
}

void ScriptedDialogs::message(const QString& text)
{
    transcript << QStringLiteral("message: ") + text;
    messages << text;
}

bool ScriptedDialogs::question(const QString& text)
{
    transcript << QStringLiteral("question: ") + text;
    questions << text;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QString ScriptedDialogs::chooseFile(const QString& title, const QString&, const QString&)
{
    transcript << QStringLiteral("file: ") + title;
    return takeFirstOrEmpty(files);
}

QString ScriptedDialogs::chooseFolder(const QString& title, const QString&)
{
    transcript << QStringLiteral("folder: ") + title;
    return takeFirstOrEmpty(folders);
}

QString ScriptedDialogs::chooseSaveFile(const QString& title, const QString&)
{
    transcript << QStringLiteral("save: ") + title;
    return takeFirstOrEmpty(saveFiles);
}

int ScriptedDialogs::runModal(QDialog* dialog)
{
    transcript << QStringLiteral("modal");
    return onModal ? onModal(dialog) : 0;
}

} // namespace qlk
