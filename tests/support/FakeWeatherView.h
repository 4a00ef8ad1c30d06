#pragma once

#include "weather/WeatherView.h"

#include <QList>
#include <QWidget>

//! A web view that records what it is asked to load.
class FakeWeatherView : public WeatherView {
public:
    explicit FakeWeatherView(QWidget* parent) : widget_(new QWidget(parent)) {}
    QWidget* Widget() override { return widget_; }
    void Load(const QUrl& address) override { loads << address; }
    void Reload() override { ++reloads; }

    QList<QUrl> loads;
    int reloads = 0;

private:
    QWidget* widget_;
};

//! Makes FakeWeatherViews and keeps the last one made.
struct FakeWeatherViews {
    int made = 0;
    FakeWeatherView* last = nullptr;

    WeatherViewFactory Factory()
    {
        return [this](QWidget* parent) {
            auto view = std::make_unique<FakeWeatherView>(parent);
            ++made;
            last = view.get();
            return view;
        };
    }
};
