#include "app/Startup.h"

#include "app/CSkinPPDynamicCallDll.h"
#include "app/Logohint.h"
#include "app/Main.h"
#include "radio/MediaBackend.h"
#include "ui/AppTitle.h"
#include "ui/Guarded.h"
#include "ui/QtUiServices.h"

#include <QApplication>

bool IsHiddenStart(const QStringList& arguments)
{
    return arguments.join(u' ') == QStringLiteral("-Min");
}

bool RefuseSecondInstance(platform::Platform& platform, UiServices& ui)
{
    // The search is by title, so a copy hidden in the tray is found as well.
    if (!platform.windows || !platform.windows->exists(AppTitle().toStdU16String()))
        return false;
    ui.ShowMessage(QStringLiteral("程序已经运行"));
    return true;
}

int RunQuorlin(const QStringList& arguments, platform::Platform& platform, QtUiServices& ui)
{
    if (RefuseSecondInstance(platform, ui))
        return 0;

    Guarded(ui, [&] {
        MediaBackend media;
        CSkinPPDynamicCallDll skin;
        qApp->setQuitOnLastWindowClosed(false);
        qApp->setApplicationName(QStringLiteral("Quorlin"));

        // Asks the session bus about its tray now: loading may already bring a notice.
        ui.Notices();
        TMainForm form(platform, ui);
        ui.SetParent(&form);
        ui.SetTrayIcon(form.TrayIcon);

        skin.LoadSkin(form.ProgramDir + QStringLiteral("PixOS.ssk"), *platform.ansi);

        TLogo logo;
        logo.exec();

        form.StartHidden = IsHiddenStart(arguments);
        form.show();
        QApplication::exec();
        skin.Free();
    });
    return 0;
}
