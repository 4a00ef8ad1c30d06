#include "reminders/HalfHourChime.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("HintTime");
const QString kKey = QStringLiteral("HintTimeMode");
const QString kLeadIn = QStringLiteral("TIMENOW");

} // namespace

HalfHourChime::HalfHourChime(FeatureContext& ctx) : ctx_(ctx)
{
    QWidget* page = ctx.Page(PageId::Install);
    auto* group = new QGroupBox(QStringLiteral("半点报时"), page);
    group->setObjectName(QStringLiteral("HintTimeGroupBox"));
    auto* layout = new QVBoxLayout(group);
    // Unchecked until loading sets it, so that loading a true state runs the handler.
    HintTimeCheckBox = new QCheckBox(QStringLiteral("启用半点报时"), group);
    HintTimeCheckBox->setObjectName(QStringLiteral("HintTimeCheckBox"));
    HintTimeCheckBox->setToolTip(QStringLiteral("每到整点和半点用语音报告当前时间"));
    layout->addWidget(HintTimeCheckBox);
    ctx.AddToPage(PageId::Install, group);
    QObject::connect(HintTimeCheckBox, &QCheckBox::toggled, group,
                     [this] { ctx_.Guard([&] { HintTimeCheckBoxClick(); }); });

    HintTimeMediaPlayer = SoundPlayer::Create();
    HintTimeMediaPlayer->SetNotify([this] { ctx_.Guard([&] { HintTimeMediaPlayerNotify(); }); });
    // An unplayable recording is passed over like one that has ended.
    HintTimeMediaPlayer->SetFailNotify(
        [this] { ctx_.Guard([&] { HintTimeMediaPlayerNotify(); }); });

    ctx.OnTick(TickCheck::CheckHalfHourChime, [this] { CheckHalfHourChime(); });
    ctx.OnLoad(LoadStep::HalfHourChime, [this] { LoadHalfHourChime(); });
    // It speaks every half hour: the next time stands for all of them.
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }, true});
}

HalfHourChime::~HalfHourChime()
{
    if (HintTimeMediaPlayer)
        HintTimeMediaPlayer->Close();
}

HalfHourChime::Spoken HalfHourChime::PartOfDay(int hour)
{
    if (hour <= 6)
        return {"AM0", hour};
    if (hour <= 12)
        return {"AM1", hour};
    if (hour <= 18)
        return {"PM", hour - 12};
    return {"EM", hour - 12};
}

void HalfHourChime::LoadHalfHourChime()
{
    TimeSoundDir = ctx_.ProgramDir() + QStringLiteral("TimeSound/");
    HintTimeCheckBox->setChecked(ctx_.Settings().ReadBool(kSection, kKey, true));
}

void HalfHourChime::HintTimeCheckBoxClick()
{
    ctx_.Settings().WriteBool(kSection, kKey, HintTimeCheckBox->isChecked());
    ctx_.Replan();
}

void HalfHourChime::CheckHalfHourChime()
{
    if (!HintTimeCheckBox->isChecked())
        return;
    const LocalMoment now = ctx_.Now();
    if (!ctx_.Due(schedule_, now))
        return;
    const QTime t = now.time;
    const Spoken spoken = PartOfDay(t.hour());
    SpeakTime(QString::fromLatin1(spoken.word), spoken.hour, t.minute());
}

void HalfHourChime::SpeakTime(const QString& word, int hour, int minute)
{
    // A new chime replaces whatever is left of the previous one.
    SpeechQueue.clear();
    SpeechQueue << word << QString::number(hour) << QStringLiteral("POINT");
    if (minute != 0)
        SpeechQueue << QString::number(minute) << QStringLiteral("MIN");
    PlayPosition = 0;
    HintTimeMediaPlayer->Close();
    if (QFileInfo::exists(TimeSoundDir + kLeadIn + QStringLiteral(".wav")))
        PlayFile(kLeadIn);
    else
        PlayNext();
}

void HalfHourChime::HintTimeMediaPlayerNotify()
{
    PlayNext();
}

void HalfHourChime::PlayNext()
{
    // A missing recording is passed over; a chain always ends with the queue empty.
    while (PlayPosition < SpeechQueue.size()) {
        const QString name = SpeechQueue[PlayPosition++];
        if (QFileInfo::exists(TimeSoundDir + name + QStringLiteral(".wav"))) {
            PlayFile(name);
            return;
        }
    }
    SpeechQueue.clear();
    PlayPosition = 0;
    HintTimeMediaPlayer->Close();
}

void HalfHourChime::PlayFile(const QString& name)
{
    HintTimeMediaPlayer->Open(TimeSoundDir + name + QStringLiteral(".wav"));
    HintTimeMediaPlayer->Play();
}

std::optional<Occurrence> HalfHourChime::NextDue(const LocalMoment& after) const
{
    if (!HintTimeCheckBox->isChecked())
        return std::nullopt;
    const auto at = Occurrences::FirstAligned(after, Occurrences::After(after, 1800), 1800);
    return Occurrence{*at, QStringLiteral("半点报时"), QStringLiteral("报时（每半小时）")};
}
