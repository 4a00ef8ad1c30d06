#include "radio/NetRadioLibrary.h"

#include "radio/QtNetRadioLibrary.h"

namespace {

NetRadioLibraryFactory& InstalledFactory()
{
    static NetRadioLibraryFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<NetRadioLibrary> CreateNetRadioLibrary()
{
    if (InstalledFactory())
        return InstalledFactory()();
    return std::make_unique<QtNetRadioLibrary>();
}

void SetNetRadioLibraryFactory(NetRadioLibraryFactory factory)
{
    InstalledFactory() = std::move(factory);
}
