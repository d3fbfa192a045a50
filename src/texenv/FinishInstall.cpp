#include "texenv/FinishInstall.h"

#include "mainwindow/Window1.h"
#include "platform/Dialogs.h"
#include "platform/QuitPath.h"
#include "texenv/Init.h"
#include "texenv/TexEnv.h"

namespace qlk {

QString lastInstallStatus;

namespace {
void setStatus(const QString& text)
{
    lastInstallStatus = text;
}
} // namespace

bool finishInstall(int target)
{
    lastInstallStatus.clear();
    const InstallPlan plan = planInstall();
    for (const QString& warning : plan.warnings)
        msgBox(warning);
    if (plan.noMapsEnabled)
        setStatus(QStringLiteral("No map files will be enabled."));

    QStringList failures;
    auto system = [&] {
        if (!enableMapsSystem(plan.kind, plan.skip))
            failures << lastEnableFailure;
    };
    auto personal = [&] {
        if (!enableMapsUser(plan.kind, plan.skip))
            failures << lastEnableFailure;
    };
    if (target == 1 && !isAdmin) {
        msgBox(QStringLiteral("You dont have admin status---cannot create output maps in system trees"));
    } else {
        if (isAdmin)
            system();
        if (personalInstall)
            personal();
    }

    if (failures.isEmpty()) {
        setStatus(QStringLiteral("Install finished."));
    } else {
        // The fonts are in place, but their maps may not be enabled.
        msgBox(failures.join(lf));
        setStatus(failures.join(QLatin1Char(' ')));
    }

    // The scan ends with the main window's Setupwin: one refresh, one row per tree.
    Window1::instance()->refresh();
    return failures.isEmpty();
}

} // namespace qlk
