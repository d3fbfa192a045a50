#include "ui/WidgetDialogs.h"

#include "mainwindow/Window1.h"
#include "platform/UiHooks.h"
#include "textview/TextWindow.h"
#include "ui/CommandBusy.h"
#include "ui/SingleWindow.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace qlk {

static QWidget* activeParent()
{
    return QApplication::activeWindow();
}

void WidgetDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    activeParent());
    box.exec();
}

bool WidgetDialogs::question(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, activeParent());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetDialogs::chooseFile(const QString& title, const QString& startFolder,
                                  const QString& filter)
{
    return QFileDialog::getOpenFileName(activeParent(), title, startFolder, filter);
}

QString WidgetDialogs::chooseFolder(const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(activeParent(), title, startFolder);
}

QString WidgetDialogs::chooseSaveFile(const QString& title, const QString& suggestedPath)
{
    return QFileDialog::getSaveFileName(activeParent(), title, suggestedPath);
}

int WidgetDialogs::runModal(QDialog* dialog)
{
    return dialog->exec();
}

void installGuiHooks()
{
    UiHooks& hooks = uiHooks();
    hooks.showCommandFailure = [](const QString& report) {
        TextWindow* viewer = TextWindow::instance();
        viewer->saveable = 2;
        viewer->TextArea1->setPlainText(report);
        dialogs().runModal(viewer);
    };
    hooks.setMainWindowBusy = [](bool busy) {
        Window1* main = Window1::instance();
        if (busy) {
            main->setCursor(Qt::WaitCursor);
        } else {
            main->unsetCursor();
            main->repaint();
        }
    };
    hooks.bringAppToFront = [] {
        // A drop lands under the pointer: that window is the one worked in.
        QWidget* target = QApplication::widgetAt(QCursor::pos());
        if (target)
            target = target->window();
        if (!target)
            target = QApplication::activeWindow();
        showWindow(target ? target : Window1::instance());
    };
    // Closing the main window is quitting.
    installCommandBusy([](QWidget* w) { return qobject_cast<Window1*>(w) != nullptr; });
}

} // namespace qlk
