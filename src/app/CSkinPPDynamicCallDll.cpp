#include "app/CSkinPPDynamicCallDll.h"

#include "app/BuiltInSkin.h"

#include "platform/AnsiCodePage.h"

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
    BuiltInSkin::Apply(skinFile);
}
