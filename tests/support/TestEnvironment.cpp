#include "TestEnvironment.h"

#include "app/Main.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/portable/ProfileEngine.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

TestEnvironment::TestEnvironment()
{
    platform.ansi = std::make_unique<platform::QtAnsiCodePage>();
    platform.profile = std::make_unique<platform::ProfileEngine>(*platform.ansi);
    SoundPlayer::SetFactory([this] {
        auto fake = std::make_unique<FakeSoundPlayer>();
        // The alarm's player is the first one a start makes; the chime makes its own later.
        if (!player)
            player = fake.get();
        return fake;
    });
    SetNetRadioLibraryFactory([this] { return radio.Handle(); });
    qputenv("QUORLIN_PROGRAM_DIR", ProgramDir().toUtf8());
    qputenv("QUORLIN_SETTINGS", SettingsPath().toUtf8());
    // The lists the tests write and read are the ones the program writes.
    qputenv("QUORLIN_DATA_DIR", ProgramDir().toUtf8());
}

TestEnvironment::~TestEnvironment()
{
    Stop();
    StopForm();
    SetNetRadioLibraryFactory({});
    SoundPlayer::SetFactory({});
}

QString TestEnvironment::ProgramDir() const
{
    return dir_.path() + QStringLiteral("/program/");
}

QString TestEnvironment::SettingsPath() const
{
    return dir_.path() + QStringLiteral("/Quorlin");
}

namespace {

QString ReadGbk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decode("GBK");
    return decode(file.readAll());
}

} // namespace

QString TestEnvironment::SettingsText() const
{
    return ReadGbk(SettingsPath());
}

void TestEnvironment::WriteProgramFile(const QString& name, const QString& text) const
{
    QDir().mkpath(ProgramDir());
    QFile file(ProgramDir() + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file");
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\n', QStringLiteral("\r\n"));
    QStringEncoder encode("GBK");
    file.write(encode(crlf));
}

QString TestEnvironment::ReadProgramFile(const QString& name) const
{
    return ReadGbk(ProgramDir() + name);
}

TMainForm& TestEnvironment::StartForm()
{
    QDir().mkpath(ProgramDir());
    player = nullptr;
    form_ = std::make_unique<TMainForm>(platform, ui, servers);
    // Tests drive the tick by hand.
    form_->StopPacing();
    return *form_;
}

void TestEnvironment::StopForm()
{
    form_.reset();
}

void TestEnvironment::Restart()
{
    Stop();
    QDir().mkpath(ProgramDir());
    player = nullptr;
    host_ = std::make_unique<FeatureHost>(platform, ui, SettingsPath(), ProgramDir(), ProgramDir());
    host_->Context().SetServers(servers);
    recipe_(*host_);
    view_ = FeatureView::Of(*host_);
    host_->Load();
}

void TestEnvironment::Stop()
{
    host_.reset();
    view_ = {};
}

void TestEnvironment::RunTick()
{
    if (host_)
        host_->Tick();
    else
        form_->CountDownTimer();
}

void TestEnvironment::Tick(int seconds)
{
    clock->AdvanceSeconds(seconds);
    RunTick();
}

void TestEnvironment::TickThrough(const QDateTime& from, int seconds, int perSecond,
                                  const std::function<void()>& after)
{
    for (int s = 0; s < seconds; ++s)
        for (int k = 0; k < perSecond; ++k) {
            clock->Set(from.addSecs(s).addMSecs(k * 1000 / perSecond));
            RunTick();
            if (after)
                after();
        }
}
