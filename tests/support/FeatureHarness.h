#pragma once

#include "FakeRegistry.h"
#include "FakeWallpaper.h"
#include "TestEnvironment.h"

#include "core/FeatureContext.h"
#include "power/ShutDownComputer.h"

#include <QVBoxLayout>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

//! One feature over the context, as the main window would make it, with the fakes of a
//! test environment plus a registry in memory and a desktop that takes wallpapers.
template <typename Feature> class FeatureHarness {
public:
    TestEnvironment env;
    FakeRegistry* registry = nullptr;
    FakeWallpaper* wallpaper = nullptr;
    std::unique_ptr<Feature> feature;

    FeatureHarness()
    {
        auto reg = std::make_unique<FakeRegistry>();
        registry = reg.get();
        env.platform.registry = std::move(reg);
        auto wall = std::make_unique<FakeWallpaper>();
        wallpaper = wall.get();
        env.platform.wallpaper = std::move(wall);
        QDir().mkpath(env.ProgramDir());
    }
    ~FeatureHarness() { Stop(); }

    //! Builds the feature (by `make`, or from the context alone) and runs the loaders, as at
    //! program start.
    Feature& Start(std::function<std::unique_ptr<Feature>(FeatureContext&)> make = {})
    {
        Stop();
        settings_ = std::make_unique<SettingsFile>(*env.platform.profile, env.SettingsPath());
        power_ = std::make_unique<ShutDownComputer>(env.platform);
        tick_ = std::make_unique<SchedulerTick>(env.ui);
        FeatureContext::Pages pages{};
        for (auto& page : pages_) {
            page = std::make_unique<QWidget>();
            new QVBoxLayout(page.get());
        }
        for (std::size_t i = 0; i < pages.size(); ++i)
            pages[i] = pages_[i].get();
        ctx_ = std::make_unique<FeatureContext>(env.platform, env.ui, *settings_, *power_, *tick_,
                                                pages, env.ProgramDir(), env.ProgramDir());
        feature = make ? make(*ctx_) : std::make_unique<Feature>(*ctx_);
        ctx_->RunLoaders();
        return *feature;
    }
    //! The close query of the main window; true when the program may exit.
    bool Exit() { return ctx_->RunCloseQuery(); }
    void Stop()
    {
        feature.reset();
        ctx_.reset();
        for (auto& page : pages_)
            page.reset();
    }
    QWidget* Page(PageId id) const { return pages_[static_cast<int>(id)].get(); }

private:
    std::unique_ptr<SettingsFile> settings_;
    std::unique_ptr<ShutDownComputer> power_;
    std::unique_ptr<SchedulerTick> tick_;
    std::array<std::unique_ptr<QWidget>, static_cast<int>(PageId::Count)> pages_;
    std::unique_ptr<FeatureContext> ctx_;
};
