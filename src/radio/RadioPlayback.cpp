#include "radio/RadioPlayback.h"

#include "core/FeatureContext.h"
#include "radio/RadioCatalogue.h"
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

namespace {

const QString kNetRadio = QStringLiteral("NetRadio");
const QString kAutoPlay = QStringLiteral("AutoPlay");
const QString kRadioName = QStringLiteral("RadioName");
const QString kRadioVolume = QStringLiteral("RadioVolume");

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

void RadioPlayback::PlayOrStop()
{
    const std::optional<QString> url = stations_.StationUrl(CurrentRadioName);
    if (!RadioPlaying && url) {
        ExecuteWMP(NetRadioLibrary::Prepare);
        PlayStopButton->setText(QStringLiteral("暂停"));
        PlayStopButton->setIcon(QApplication::style()->standardIcon(QStyle::SP_MediaPause));
        RadioPlaying = true;
        ExecuteWMP(NetRadioLibrary::Volume, QString::number(RadioVolumeTrackBar->value()));
        ExecuteWMP(NetRadioLibrary::Open, *url);
        return;
    }
    RadioPlaying = false;
    PlayStopButton->setText(QStringLiteral("播放"));
    PlayStopButton->setIcon(QApplication::style()->standardIcon(QStyle::SP_MediaPlay));
    RadioPlayState->setText(NoStationText());
    ExecuteWMP(NetRadioLibrary::Stop);
}

void RadioPlayback::RadioTreeViewDblClick()
{
    ctx_.Guard([this] {
        ExecuteWMP(NetRadioLibrary::Stop);
        RadioPlaying = false;
        const QTreeWidgetItem* selected = stations_.RadioTreeView->currentItem();
        if (!selected)
            return;
        CurrentRadioName = selected->text(0);
        PlayOrStop();
    });
}

void RadioPlayback::RefreshRadioState()
{
    if (!RadioPlaying)
        return;
    const QString text = CurrentRadioName + u'\n' + ExecuteWMP(NetRadioLibrary::Status);
    if (RadioPlayState->text() != text)
        RadioPlayState->setText(text);
}

void RadioPlayback::RadioVolumeTrackBarChange()
{
    ctx_.Guard([this] {
        const QString volume = QString::number(RadioVolumeTrackBar->value());
        VolumeLabel->setText(QStringLiteral("音量:") + volume + u'%');
        if (RadioPlaying)
            ExecuteWMP(NetRadioLibrary::Volume, volume);
        SaveRadioSettings();
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
    });
}
