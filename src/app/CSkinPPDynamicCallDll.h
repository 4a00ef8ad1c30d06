#pragma once

#include <QLibrary>
#include <QString>

namespace platform {
class AnsiCodePage;
}

//! The optional window-skinning library. When it is not installed the skin file gives the
//! colours of our own look (BuiltInSkin), so the plain build still looks finished.
class CSkinPPDynamicCallDll {
public:
    CSkinPPDynamicCallDll();
    ~CSkinPPDynamicCallDll();
    CSkinPPDynamicCallDll(const CSkinPPDynamicCallDll&) = delete;
    CSkinPPDynamicCallDll& operator=(const CSkinPPDynamicCallDll&) = delete;

    bool Loaded() const { return sppLoadSkin_ != nullptr; }
    //! Applies the skin file named by its full path.
    void LoadSkin(const QString& skinFile, const platform::AnsiCodePage& ansi);
    //! Releases the library and forgets its entry points.
    void Free();

private:
    using LoadSkinFn = int (*)(char* skinFile, int flags);
    QLibrary library_;
    LoadSkinFn sppLoadSkin_ = nullptr;
};
