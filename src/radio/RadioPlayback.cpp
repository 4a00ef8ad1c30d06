#include "radio/RadioPlayback.h"

#include "core/FeatureContext.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioSleepTimer.h"
#include "radio/Radiotiming.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

const QString kNetRadio = QStringLiteral("NetRadio");
const QString kAutoPlay = QStringLiteral("AutoPlay");
const QString kRadioName = QStringLiteral("RadioName");
const QString kRadioVolume = QStringLiteral("RadioVolume");
const QString kFeature = QStringLiteral("网络电台");

} // namespace

RadioPlayback::RadioPlayback(FeatureContext& ctx, RadioCatalogue& stations,
                             std::unique_ptr<NetRadioLibrary> library)
    : ctx_(ctx), stations_(stations), library_(std::move(library))
{
    auto* group = new QGroupBox(QStringLiteral("正在收听"), ctx.Page(PageId::NetRadio));
    group->setObjectName(QStringLiteral("RadioPlayerGroup"));
    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(10);

    RadioPlayState = new QLabel(NoStationText(), group);
    RadioPlayState->setObjectName(QStringLiteral("RadioPlayState"));
    RadioPlayState->setWordWrap(true);
    RadioPlayState->setMinimumHeight(64);
    RadioPlayState->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RadioPlayState->setStyleSheet(QStringLiteral(
        "QLabel#RadioPlayState { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #f4f8ff, stop:1 #dde8f8); border: 1px solid #a9bfdc; border-radius: 6px;"
        " padding: 8px 12px; color: #1d3557; font-size: 15px; }"));
    layout->addWidget(RadioPlayState);

    auto* controls = new QHBoxLayout;
    PlayStopButton = new QPushButton(QStringLiteral("播放"), group);
    PlayStopButton->setObjectName(QStringLiteral("PlayStopButton"));
    PlayStopButton->setIcon(QApplication::style()->standardIcon(QStyle::SP_MediaPlay));
    PlayStopButton->setMinimumWidth(96);
    PlayStopButton->setMinimumHeight(30);
    controls->addWidget(PlayStopButton);
    controls->addSpacing(8);
    auto* volumeIcon = new QLabel(group);
    volumeIcon->setPixmap(
        QApplication::style()->standardIcon(QStyle::SP_MediaVolume).pixmap(16, 16));
    controls->addWidget(volumeIcon);
    RadioVolumeTrackBar = new QSlider(Qt::Horizontal, group);
    RadioVolumeTrackBar->setObjectName(QStringLiteral("RadioVolumeTrackBar"));
    RadioVolumeTrackBar->setRange(0, 100);
    RadioVolumeTrackBar->setValue(100);
    RadioVolumeTrackBar->setPageStep(10);
    RadioVolumeTrackBar->setToolTip(QStringLiteral("音量"));
    controls->addWidget(RadioVolumeTrackBar, 1);
    VolumeLabel = new QLabel(group);
    VolumeLabel->setObjectName(QStringLiteral("VolumeLabel"));
    VolumeLabel->setMinimumWidth(76);
    controls->addWidget(VolumeLabel);
    layout->addLayout(controls);

    AutoRadioPlayCheckBox = new QCheckBox(QStringLiteral("开机自动播放电台"), group);
    AutoRadioPlayCheckBox->setObjectName(QStringLiteral("AutoRadioPlayCheckBox"));
    layout->addWidget(AutoRadioPlayCheckBox);
    SleepTimer = std::make_unique<RadioSleepTimer>(group, layout);
    SleepTimer->Now = [this] { return ctx_.Now(); };
    SleepTimer->Fade = [this](int percent) { SleepFade(percent); };
    SleepTimer->Expired = [this] { SleepExpired(); };
    SleepTimer->Changed = [this] { ctx_.Replan(); };
    stations.SideColumn->addWidget(group);

    QObject::connect(PlayStopButton, &QPushButton::clicked, group,
                     [this] { PlayStopButtonClick(); });
    QObject::connect(RadioVolumeTrackBar, &QSlider::valueChanged, group,
                     [this] { RadioVolumeTrackBarChange(); });
    QObject::connect(AutoRadioPlayCheckBox, &QCheckBox::toggled, group,
                     [this] { AutoRadioPlayCheckBoxClick(); });
    QObject::connect(stations.RadioTreeView, &QTreeWidget::itemDoubleClicked, group,
                     [this] { RadioTreeViewDblClick(); });

    ctx.OnTick(TickCheck::RefreshRadioState, [this] { RefreshRadioState(); });
    // The end of the sleep timer for the view of what comes next; the countdown, the fade
    // and the stream's state want every second anyway.
    ctx.OnSchedule({[this](const LocalMoment& after) { return SleepTimer->NextDue(after); }});
    ctx.OnWatch([this] { return RadioPlaying || SleepTimer->Armed(); });
    // The catalogue and the timings load in their own steps just before this one.
    ctx.OnLoad(LoadStep::Radio, [this] { LoadRadioSettings(); });
    stations.CurrentStation = [this] { return CurrentRadioName; };
}

RadioPlayback::~RadioPlayback() = default;

QString RadioPlayback::ExecuteWMP(int command, const QString& argument)
{
    return library_->ExecuteWMP(command, argument);
}

void RadioPlayback::PlayStopButtonClick()
{
    ctx_.Guard([this] { PlayOrStop(); });
}

void RadioPlayback::ShowPlaying(bool playing)
{
    PlayStopButton->setText(playing ? QStringLiteral("暂停") : QStringLiteral("播放"));
    PlayStopButton->setIcon(QApplication::style()->standardIcon(playing ? QStyle::SP_MediaPause
                                                                        : QStyle::SP_MediaPlay));
}

void RadioPlayback::PlayOrStop()
{
    const std::optional<QString> url = stations_.StationUrl(CurrentRadioName);
    if (!RadioPlaying && url) {
        ExecuteWMP(NetRadioLibrary::Prepare);
        ShowPlaying(true);
        RadioPlaying = true;
        paused_ = false;
        resumeAfterRing_ = false;
        addresses_ = stations_.StationAddresses(CurrentRadioName);
        address_ = 0;
        played_ = false;
        retry_ = {};
        title_.clear();
        ExecuteWMP(NetRadioLibrary::Volume, QString::number(EffectiveVolume()));
        ExecuteWMP(NetRadioLibrary::Open, *url);
        Notify();
        ctx_.Replan();
        return;
    }
    StopRadio();
}

void RadioPlayback::StopRadio()
{
    RadioPlaying = false;
    paused_ = false;
    resumeAfterRing_ = false;
    retry_ = {};
    ShowPlaying(false);
    RadioPlayState->setText(NoStationText());
    ExecuteWMP(NetRadioLibrary::Stop);
    // A stop by the user ends the sleep timer too; the volume it lowered comes back.
    SleepTimer->Cancel();
    fadePercent_ = 100;
    Notify();
}

bool RadioPlayback::StartTimed(const QString& station)
{
    CurrentRadioName = station;
    if (ringing_ && stations_.StationUrl(station)) {
        // Not over a ringing alarm: the station starts once the ring is answered.
        if (RadioPlaying)
            PauseStream(QStringLiteral("闹铃响起，电台已暂停"));
        else {
            paused_ = true;
            RadioPlayState->setText(station + QStringLiteral("\n闹铃响起，电台已暂停"));
            Notify();
        }
        resumeAfterRing_ = true;
        return true;
    }
    RadioPlaying = false;
    PlayOrStop();
    return RadioPlaying;
}

void RadioPlayback::RadioTreeViewDblClick()
{
    ctx_.Guard([this] {
        ExecuteWMP(NetRadioLibrary::Stop);
        RadioPlaying = false;
        const QTreeWidgetItem* selected = stations_.RadioTreeView->currentItem();
        if (!selected) {
            Notify();
            return;
        }
        CurrentRadioName = selected->text(0);
        PlayOrStop();
    });
}

void RadioPlayback::RefreshRadioState()
{
    SleepTimer->Check();
    if (!RadioPlaying)
        return;
    const NetRadioLibrary::StreamState state = library_->State();
    if (state.title != title_) {
        title_ = state.title;
        Notify();
    }
    KeepStreamAlive(state);
    if (!RadioPlaying)
        return;
    QString status;
    if (retry_.active && !retry_.resumedAt)
        status = QStringLiteral("正在重新连接…（第 %1 次）")
                     .arg(retry_.inFlight ? retry_.attempt : retry_.attempt + 1);
    else
        status = ExecuteWMP(NetRadioLibrary::Status);
    const QString text = CurrentRadioName + u'\n' + status;
    if (RadioPlayState->text() != text)
        RadioPlayState->setText(text);
}

int RadioPlayback::RetryDelay(int attempt)
{
    static constexpr int kDelays[] = {1, 2, 4, 8, 15};
    return attempt < int(std::size(kDelays)) ? kDelays[attempt] : 30;
}

void RadioPlayback::OpenStream()
{
    ExecuteWMP(NetRadioLibrary::Prepare);
    ExecuteWMP(NetRadioLibrary::Volume, QString::number(EffectiveVolume()));
    ExecuteWMP(NetRadioLibrary::Open, addresses_.value(address_));
}

void RadioPlayback::KeepStreamAlive(const NetRadioLibrary::StreamState& state)
{
    using Phase = NetRadioLibrary::StreamState::Phase;
    const qint64 now = SecondOf(ctx_.Now());
    if (state.phase == Phase::Playing) {
        played_ = true;
        if (retry_.active) {
            if (!retry_.resumedAt)
                retry_.resumedAt = now;
            else if (now - *retry_.resumedAt >= kSteadySeconds)
                retry_ = {};
        }
        return;
    }
    if (state.phase != Phase::Dropped && state.phase != Phase::Failed)
        return;

    if (!played_ && !retry_.active) {
        // Never sounded: the station's other addresses once each, then the reason.
        if (address_ + 1 < addresses_.size()) {
            ++address_;
            OpenStream();
            return;
        }
        const QString why = ExecuteWMP(NetRadioLibrary::Status);
        GiveUp(why.startsWith(QStringLiteral("播放失败"))
                   ? why
                   : QStringLiteral("播放失败：无法连接电台或电台地址无效"));
        return;
    }
    if (!retry_.active) {
        retry_ = {};
        retry_.active = true;
        retry_.since = now;
        retry_.nextAt = now + RetryDelay(0);
        ctx_.Log(kFeature, QStringLiteral("播放 ") + CurrentRadioName,
                 QStringLiteral("连接中断，正在重新连接"));
        return;
    }
    if (retry_.inFlight) {
        // The attempt under way failed, or the stream it brought back dropped again.
        retry_.inFlight = false;
        retry_.resumedAt.reset();
        retry_.hopelessRun = state.hopeless ? retry_.hopelessRun + 1 : 0;
        const qint64 next = now + RetryDelay(retry_.attempt);
        if (retry_.hopelessRun >= kHopelessTries || next - retry_.since > kGiveUpSeconds) {
            GiveUp(DroppedText());
            return;
        }
        retry_.nextAt = next;
    }
    if (now < retry_.nextAt)
        return;
    ++retry_.attempt;
    retry_.inFlight = true;
    // The first attempt goes back where the stream was; later ones go round the mirrors.
    if (retry_.attempt > 1 && !addresses_.isEmpty())
        address_ = (address_ + 1) % int(addresses_.size());
    OpenStream();
}

void RadioPlayback::GiveUp(const QString& why)
{
    // Shown as stopped with the reason: a station that does not sound is not "playing".
    RadioPlaying = false;
    paused_ = false;
    resumeAfterRing_ = false;
    retry_ = {};
    ShowPlaying(false);
    ExecuteWMP(NetRadioLibrary::Stop);
    RadioPlayState->setText(CurrentRadioName + u'\n' + why);
    SleepTimer->Cancel();
    fadePercent_ = 100;
    ctx_.Log(kFeature, QStringLiteral("播放 ") + CurrentRadioName, why);
    Notify();
}

void RadioPlayback::PauseStream(const QString& why)
{
    if (!RadioPlaying)
        return;
    ExecuteWMP(NetRadioLibrary::Stop);
    RadioPlaying = false;
    paused_ = true;
    retry_ = {};
    ShowPlaying(false);
    RadioPlayState->setText(CurrentRadioName + u'\n' + why);
    Notify();
}

RadioPlayback::Playback RadioPlayback::Status() const
{
    if (RadioPlaying)
        return Playback::Playing;
    return paused_ ? Playback::Paused : Playback::Stopped;
}

int RadioPlayback::Volume() const
{
    return RadioVolumeTrackBar->value();
}

void RadioPlayback::SetVolume(int volume)
{
    // Through the slider, so the page, the player and the settings all follow.
    RadioVolumeTrackBar->setValue(std::clamp(volume, 0, 100));
}

void RadioPlayback::Play()
{
    ctx_.Guard([this] {
        if (!RadioPlaying && stations_.StationUrl(CurrentRadioName))
            PlayOrStop();
    });
}

void RadioPlayback::Pause()
{
    ctx_.Guard([this] {
        resumeAfterRing_ = false;
        PauseStream(QStringLiteral("已暂停"));
    });
}

void RadioPlayback::PlayPause()
{
    if (RadioPlaying)
        Pause();
    else
        Play();
}

void RadioPlayback::StopPlayback()
{
    ctx_.Guard([this] {
        if (RadioPlaying || paused_)
            StopRadio();
    });
}

void RadioPlayback::Next()
{
    ctx_.Guard([this] { Step(1); });
}

void RadioPlayback::Previous()
{
    ctx_.Guard([this] { Step(-1); });
}

bool RadioPlayback::CanStep() const
{
    return !stations_.Favourites().isEmpty();
}

void RadioPlayback::Step(int direction)
{
    const QStringList favourites = stations_.Favourites();
    if (favourites.isEmpty())
        return;
    const auto n = favourites.size();
    const auto at = favourites.indexOf(CurrentRadioName);
    const auto to = at < 0 ? (direction > 0 ? 0 : n - 1) : (at + direction + n) % n;
    const QString name = favourites[to];
    // The page points at the same station the applet shows.
    QTreeWidget* tree = stations_.RadioTreeView;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree->topLevelItem(i);
        if (!root->text(0).startsWith(RadioCatalogue::FavouritesSection() + u'('))
            continue;
        for (int c = 0; c < root->childCount(); ++c)
            if (root->child(c)->text(0) == name)
                tree->setCurrentItem(root->child(c));
    }
    if (RadioPlaying) {
        ExecuteWMP(NetRadioLibrary::Stop);
        RadioPlaying = false;
        CurrentRadioName = name;
        PlayOrStop();
        return;
    }
    CurrentRadioName = name;
    if (paused_)
        RadioPlayState->setText(name + QStringLiteral("\n已暂停"));
    Notify();
}

void RadioPlayback::OnChange(std::function<void()> listener)
{
    listeners_.push_back(std::move(listener));
}

void RadioPlayback::Notify()
{
    for (const auto& listener : listeners_)
        listener();
}

void RadioPlayback::RingStateChanged(bool ringing)
{
    ctx_.Guard([this, ringing] {
        ringing_ = ringing;
        if (ringing) {
            if (RadioPlaying) {
                PauseStream(QStringLiteral("闹铃响起，电台已暂停"));
                resumeAfterRing_ = true;
            }
            return;
        }
        const bool resume = resumeAfterRing_ && paused_ && !RadioPlaying;
        resumeAfterRing_ = false;
        if (resume)
            PlayOrStop();
    });
}

int RadioPlayback::EffectiveVolume() const
{
    return RadioVolumeTrackBar->value() * fadePercent_ / 100;
}

void RadioPlayback::SleepFade(int percent)
{
    fadePercent_ = percent;
    if (RadioPlaying)
        ExecuteWMP(NetRadioLibrary::Volume, QString::number(EffectiveVolume()));
}

void RadioPlayback::SleepExpired()
{
    ctx_.Guard([this] {
        if (RadioPlaying || paused_) {
            ctx_.Log(kFeature, QStringLiteral("定时停止 ") + CurrentRadioName,
                     QStringLiteral("已停止"));
            StopRadio();
        }
        fadePercent_ = 100;
    });
}

void RadioPlayback::RadioVolumeTrackBarChange()
{
    ctx_.Guard([this] {
        const QString volume = QString::number(RadioVolumeTrackBar->value());
        VolumeLabel->setText(QStringLiteral("音量:") + volume + u'%');
        if (RadioPlaying)
            ExecuteWMP(NetRadioLibrary::Volume, QString::number(EffectiveVolume()));
        SaveRadioSettings();
        Notify();
    });
}

void RadioPlayback::AutoRadioPlayCheckBoxClick()
{
    ctx_.Guard([this] {
        if (AutoRadioPlayCheckBox->isChecked())
            PlayOrStop();
        SaveRadioSettings();
    });
}

void RadioPlayback::SaveRadioSettings()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteBool(kNetRadio, kAutoPlay,
                       loading_ ? storedAutoPlay_ : AutoRadioPlayCheckBox->isChecked());
    settings.WriteString(kNetRadio, kRadioName, CurrentRadioName);
    settings.WriteInteger(kNetRadio, kRadioVolume, RadioVolumeTrackBar->value());
}

void RadioPlayback::LoadRadioSettings()
{
    ctx_.Guard([this] {
        SettingsFile& settings = ctx_.Settings();
        storedAutoPlay_ = settings.ReadBool(kNetRadio, kAutoPlay, false);
        CurrentRadioName = settings.ReadString(kNetRadio, kRadioName, QString());
        loading_ = true;
        RadioVolumeTrackBar->setValue(settings.ReadInteger(kNetRadio, kRadioVolume, 100));
        loading_ = false;
        AutoRadioPlayCheckBox->setChecked(storedAutoPlay_);
        Notify();
    });
}
