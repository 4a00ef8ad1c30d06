#pragma once

#include "FakeRegistry.h"
#include "FakeWallpaper.h"
#include "FeatureHost.h"
#include "TestEnvironment.h"

#include <functional>
#include <memory>

//! One feature on a FeatureHost over a test environment, with a registry in memory and a
//! desktop that takes wallpapers; started again as often as a test needs a new run.
//! The data folder is the environment's program folder.
template <typename Feature> class FeatureHarness {
public:
    TestEnvironment env;
    FakeRegistry* registry = nullptr;
    FakeWallpaper* wallpaper = nullptr;
    Feature* feature = nullptr;

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

    //! A new run: builds the feature (by `make`, or from the context alone) and loads.
    Feature& Start(std::function<Feature&(FeatureHost&)> make = {})
    {
        Stop();
        host_ = std::make_unique<FeatureHost>(env.platform, env.ui, env.SettingsPath(),
                                              env.ProgramDir(), env.ProgramDir());
        host_->Context().SetServers(env.servers);
        feature = make ? &make(*host_) : &host_->Add<Feature>();
        host_->Load();
        return *feature;
    }
    //! The close query of the main window; true when the program may exit.
    bool Exit() { return host_->Context().RunCloseQuery(); }
    void Stop()
    {
        feature = nullptr;
        host_.reset();
    }
    QWidget* Page(PageId id) const { return host_->Context().Page(id); }

private:
    std::unique_ptr<FeatureHost> host_;
};
