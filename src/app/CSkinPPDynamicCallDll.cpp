#include "app/CSkinPPDynamicCallDll.h"

#include "platform/AnsiCodePage.h"

#include <QApplication>
#include <QFile>

CSkinPPDynamicCallDll::CSkinPPDynamicCallDll() : library_(QStringLiteral("SkinPPBCB"))
{
    if (library_.load())
        sppLoadSkin_ = reinterpret_cast<LoadSkinFn>(library_.resolve("sppLoadSkin"));
}

CSkinPPDynamicCallDll::~CSkinPPDynamicCallDll()
{
    Free();
}

void CSkinPPDynamicCallDll::Free()
{
    sppLoadSkin_ = nullptr;
    if (library_.isLoaded())
        library_.unload();
}

void CSkinPPDynamicCallDll::LoadSkin(const QString& skinFile, const platform::AnsiCodePage& ansi)
{
    if (sppLoadSkin_) {
        std::string narrow = ansi.fromUtf16(skinFile.toStdU16String());
        sppLoadSkin_(narrow.data(), 0);
        return;
    }
    QFile sheet(skinFile);
    if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}
