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

#include "platform/Platform.h"

#include <QDir>
#include <QTemporaryDir>

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
    //! One tick after moving the clock by `seconds`.
    void Tick(int seconds = 1);

    platform::Platform platform;
    FakeUi ui;
    FakeClock* clock = nullptr;
    FakeWindows* windows = nullptr;
    FakeShell* shell = nullptr;
    FakeAutostart* autostart = nullptr;
    FakeSystemInfo* systemInfo = nullptr;
    FakeIdleInput* idleInput = nullptr;
    FakeIcmpEcho* icmp = nullptr;
    //! Every radio command of every form started here.
    FakeRadioLibrary radio;
    //! The alarm sound of the form last started.
    FakeSoundPlayer* player = nullptr;
    FakePowerActions* power = nullptr;
    FakeLauncher* launcher = nullptr;

private:
    QTemporaryDir dir_;
    std::unique_ptr<TMainForm> form_;
};
