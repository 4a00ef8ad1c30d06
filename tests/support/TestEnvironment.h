#pragma once

#include "FakeClock.h"
#include "FakeIcmpEcho.h"
#include "FakeIdleInput.h"
#include "FakePlatform.h"
#include "FakePowerActions.h"
#include "FakeRadioLibrary.h"
#include "FakeSoundPlayer.h"
#include "FakeSystemInfo.h"
#include "FakeUi.h"
#include "FeatureHost.h"
#include "FeatureView.h"

#include "platform/Platform.h"

#include <QDir>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class TMainForm;

//! A fresh world for one test: a temporary program folder and settings file, the real
//! profile engine over them, and fakes for everything else the program touches.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString ProgramDir() const;
    QString SettingsPath() const;
    //! The settings file as text (GBK decoded), or empty when it does not exist.
    QString SettingsText() const;
    //! Writes a file into the program folder as GBK with CR LF line ends.
    void WriteProgramFile(const QString& name, const QString& text) const;
    QString ReadProgramFile(const QString& name) const;

    //! Builds the main window over this world; it loads its settings as at start.
    TMainForm& StartForm();
    void StopForm();
    TMainForm& Form() { return *form_; }

    //! Builds features alone over this world, as a start would: each of the types given on a
    //! fresh host in that order (a page from Pages stands for the features of that page), then
    //! their loaders run. `args` go to the first one's constructor after the context. Returns
    //! the first feature, or the view of them all when the first is a page. Restart() does
    //! the same again, like a new run.
    template <typename First, typename... More, typename... Args>
    decltype(auto) Start(const Args&... args)
    {
        recipe_ = [args...](FeatureHost& host) {
            Build<First>(host, args...);
            (Build<More>(host), ...);
        };
        Restart();
        if constexpr (FeaturePage<First>)
            return (view_);
        else
            return Feature<First>();
    }
    void Restart();
    void Stop();
    FeatureHost& Host() { return *host_; }
    //! The features of the running host under the window's names.
    FeatureView& View() { return view_; }
    template <typename T> T& Feature() { return *host_->Find<T>(); }

    //! One tick of the host (or of the window) after moving the clock by `seconds`.
    void Tick(int seconds = 1);
    //! One tick at the clock as it stands.
    void RunTick();
    //! Ticks through `seconds` seconds from `from`, `perSecond` ticks in each (two ticks in
    //! one second come from a tick nested in an open box or a clock set back); `after`
    //! runs after every tick.
    void TickThrough(const QDateTime& from, int seconds, int perSecond = 1,
                     const std::function<void()>& after = {});

    platform::Platform platform;
    FakeUi ui;
    FakeClock* clock = Install<FakeClock>(platform.clock);
    FakeWindows* windows = Install<FakeWindows>(platform.windows);
    FakeShell* shell = Install<FakeShell>(platform.shell);
    FakeAutostart* autostart = Install<FakeAutostart>(platform.autostart);
    FakeSystemInfo* systemInfo = Install<FakeSystemInfo>(platform.systemInfo);
    FakeIdleInput* idleInput = Install<FakeIdleInput>(platform.idleInput);
    FakeIcmpEcho* icmp = Install<FakeIcmpEcho>(platform.icmp);
    //! Every radio command of every form started here.
    FakeRadioLibrary radio;
    //! The alarm sound of the form or host last started (the first player it made).
    FakeSoundPlayer* player = nullptr;
    FakePowerActions* power = Install<FakePowerActions>(platform.power);
    FakeLauncher* launcher = Install<FakeLauncher>(platform.launcher);
    //! The servers every host and window started here reach: loopback only. The probe goes
    //! to this machine; the time server and the weather page are on a port nothing listens
    //! on, so a full hour ticked or a first start asks no real server.
    ServerOverrides servers{QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1:1"),
                            QStringLiteral("http://127.0.0.1:1/m/360/weather.htm")};

private:
    //! Puts a new fake into the platform's slot; the test keeps the pointer to drive it.
    template <typename Fake, typename Slot> static Fake* Install(Slot& slot)
    {
        slot = std::make_unique<Fake>();
        return static_cast<Fake*>(slot.get());
    }
    template <typename T, typename... Args>
    static void Build(FeatureHost& host, const Args&... args)
    {
        static_assert(!FeaturePage<T> || sizeof...(Args) == 0, "a page is built without arguments");
        if constexpr (FeaturePage<T>)
            T::Build(host);
        else
            host.Add<T>(args...);
    }

    QTemporaryDir dir_;
    std::unique_ptr<TMainForm> form_;
    std::function<void(FeatureHost&)> recipe_;
    std::unique_ptr<FeatureHost> host_;
    FeatureView view_;
};
