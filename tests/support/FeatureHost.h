#pragma once

#include "core/FeatureContext.h"
#include "core/FeatureList.h"
#include "power/ShutDownComputer.h"
#include "scheduler/SchedulerTick.h"
#include "settings/SettingsFile.h"

#include <QWidget>

#include <memory>

//! What the main window gives its features, without the window: a plain top-level widget
//! with the eight pages, the settings file, the power actions, the tick and a context over
//! them. A test builds the features it needs here, runs the loaders and drives the tick.
class FeatureHost {
public:
    FeatureHost(platform::Platform& os, UiServices& ui, const QString& settingsPath,
                const QString& programDir, const QString& dataDir);
    ~FeatureHost();

    FeatureContext& Context() { return *context_; }
    QWidget* Window() { return window_.get(); }

    //! Builds a feature over the context and the peers given, as the main window does.
    template <typename T, typename... Peers> T& Add(Peers&&... peers)
    {
        return features_.Own(std::make_unique<T>(*context_, std::forward<Peers>(peers)...));
    }
    template <typename T> T* Find() const { return features_.Find<T>(); }

    //! The registered loaders in their order, as at start.
    void Load() { context_->RunLoaders(); }
    void Tick() { tick_.Run(); }

private:
    // Declared first, destroyed last: the features' widgets live in it.
    std::unique_ptr<QWidget> window_;
    SettingsFile settings_;
    ShutDownComputer power_;
    SchedulerTick tick_;
    std::unique_ptr<FeatureContext> context_;
    FeatureList features_;
};
