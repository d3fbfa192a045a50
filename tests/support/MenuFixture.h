#pragma once
#include "app/App.h"
#include "app/MenuBar1.h"
#include "support/TestEnv.h"

#include <QAction>

#include <gtest/gtest.h>

#include <memory>

namespace qlk::test {

// Chooses a menu item as a user would, through a fresh application
// object's menu bar; fails when the item is missing or disabled. Quits
// stay recorded.
inline ::testing::AssertionResult chooseMenuItem(const char* name)
{
    std::unique_ptr<App> app(createAppObject());
    recordQuits();
    QAction* item = app->menuBar()->item(QString::fromLatin1(name));
    if (!item)
        return ::testing::AssertionFailure() << "no menu item " << name;
    if (!item->isEnabled())
        return ::testing::AssertionFailure() << "menu item " << name << " is disabled";
    item->trigger();
    return ::testing::AssertionSuccess();
}

} // namespace qlk::test
