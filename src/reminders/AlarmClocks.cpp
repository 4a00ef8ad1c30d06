#include "reminders/AlarmClocks.h"

#include "core/FeatureContext.h"
#include "core/TimeField.h"
#include "core/Weekdays.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>

namespace {

const QString kSection = QStringLiteral("AlarmClocks");
const QString kWeekUp = QStringLiteral("AlarmClockWeekUp");
const QString kWeekDown = QStringLiteral("AlarmClockWeekDown");
const QString kFirstTime = QStringLiteral("AlarmClockFirstTime");
const QString kSecondTime = QStringLiteral("AlarmClockSecondTime");
const QString kFirstHint = QStringLiteral("AlarmClockFirstHint");
const QString kSecondHint = QStringLiteral("AlarmClockSecondHint");
const QString kFirstState = QStringLiteral("AlarmClockFirstState");
const QString kSecondState = QStringLiteral("AlarmClockSecondState");
const QString kSoundPath = QStringLiteral("AlarmClockSoundPath");

const char16_t kTimeTip[] = u"请输入一个正确的时间格式:如　12:12:00";

int WeekdayIndex(int stored)
{
    return stored >= 0 && stored <= 6 ? stored : 0;
}

} // namespace

AlarmClocks::AlarmClocks(FeatureContext& ctx)
    : AlarmClockMediaPlayer(SoundPlayer::Create()), ctx_(ctx)
{
    AlarmClockMediaPlayer->SetNotify([this] { AlarmClockMediaPlayerNotify(); });
    BuildAlarmGroup();
    BuildSoundGroup();
    ctx_.OnTick(TickCheck::CheckAlarmClocks, [this] { CheckAlarmClocks(); });
    ctx_.OnLoad(LoadStep::AlarmClocks, [this] { LoadAlarmClocks(); });
    schedule_ = ctx_.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }});
}

AlarmClocks::~AlarmClocks() = default;

QString AlarmClocks::DefaultHint()
{
    return QStringLiteral("时间到啦，该起床了,不然太阳要晒屁屁喽");
}

void AlarmClocks::BuildAlarmGroup()
{
    QWidget* page = ctx_.Page(PageId::Alarm);
    auto* group = new QGroupBox(QStringLiteral("定时闹钟功能"), page);
    group->setObjectName(QStringLiteral("AlarmClockGroupBox"));
    auto* layout = new QVBoxLayout(group);

    auto* weekRow = new QHBoxLayout;
    AlarmClockWeekUpComboBox = new QComboBox(group);
    AlarmClockWeekUpComboBox->setObjectName(QStringLiteral("AlarmClockWeekUpComboBox"));
    AlarmClockWeekDownComboBox = new QComboBox(group);
    AlarmClockWeekDownComboBox->setObjectName(QStringLiteral("AlarmClockWeekDownComboBox"));
    AlarmClockWeekUpComboBox->addItems(WeekdayNames());
    AlarmClockWeekDownComboBox->addItems(WeekdayNames());
    weekRow->addWidget(new QLabel(QStringLiteral("选择星期："), group));
    weekRow->addWidget(AlarmClockWeekUpComboBox);
    weekRow->addWidget(new QLabel(QStringLiteral("<-至->"), group));
    weekRow->addWidget(AlarmClockWeekDownComboBox);
    weekRow->addStretch();
    layout->addLayout(weekRow);

    auto* grid = new QGridLayout;
    auto makeRow = [&](int row, QCheckBox*& box, const char* boxName, const QString& caption,
                       QLineEdit*& time, const char* timeName, QLineEdit*& hint,
                       const char* hintName, const QString& hintTip) {
        box = new QCheckBox(caption, group);
        box->setObjectName(QString::fromLatin1(boxName));
        time = NewTimeField(group, QString::fromLatin1(timeName), QString::fromUtf16(kTimeTip));
        hint = new QLineEdit(group);
        hint->setObjectName(QString::fromLatin1(hintName));
        hint->setToolTip(hintTip);
        grid->addWidget(box, row, 0);
        grid->addWidget(time, row, 1);
        grid->addWidget(hint, row, 2);
    };
    makeRow(0, AlarmClockFirstCheckBox, "AlarmClockFirstCheckBox",
            QStringLiteral("启用第一个闹钟:"), AlarmClockFirstMaskEdit, "AlarmClockFirstMaskEdit",
            AlarmClockFirstHintEdit, "AlarmClockFirstHintEdit",
            QStringLiteral("你可以在这里设置第一闹铃时间的提示信息"));
    makeRow(1, AlarmClockSecondCheckBox, "AlarmClockSecondCheckBox",
            QStringLiteral("启用第二个闹钟:"), AlarmClockSecondMaskEdit, "AlarmClockSecondMaskEdit",
            AlarmClockSecondHintEdit, "AlarmClockSecondHintEdit",
            QStringLiteral("您可以在这里设置第二时间的闹铃提示信息"));
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    ctx_.AddToPage(PageId::Alarm, group);

    QObject::connect(AlarmClockFirstCheckBox, &QCheckBox::toggled, group,
                     [this] { AlarmClockFirstCheckBoxClick(); });
    QObject::connect(AlarmClockSecondCheckBox, &QCheckBox::toggled, group,
                     [this] { AlarmClockSecondCheckBoxClick(); });
}

void AlarmClocks::BuildSoundGroup()
{
    QWidget* page = ctx_.Page(PageId::Install);
    auto* group = new QGroupBox(QStringLiteral("闹钟声音"), page);
    group->setObjectName(QStringLiteral("AlarmClockSoundGroupBox"));
    auto* layout = new QHBoxLayout(group);
    SetAlarmClockSoundButton = new QPushButton(QStringLiteral("设置闹钟声音"), group);
    SetAlarmClockSoundButton->setObjectName(QStringLiteral("SetAlarmClockSoundButton"));
    SetAlarmClockSoundButton->setToolTip(QStringLiteral("新选的声音在下次启动程序后生效"));
    layout->addWidget(SetAlarmClockSoundButton);
    layout->addStretch();
    ctx_.AddToPage(PageId::Install, group);
    QObject::connect(SetAlarmClockSoundButton, &QPushButton::clicked, group,
                     [this] { SetAlarmClockSoundButtonClick(); });
}

void AlarmClocks::LoadAlarmClocks()
{
    SettingsFile& s = ctx_.Settings();
    SoundPath =
        s.ReadString(kSection, kSoundPath,
                     QDir::toNativeSeparators(ctx_.ProgramDir() +
                                              QStringLiteral("AlarmClockSound/AlarmClock.mp3")));
    AlarmClockWeekUpComboBox->setCurrentIndex(WeekdayIndex(s.ReadInteger(kSection, kWeekUp, 0)));
    AlarmClockWeekDownComboBox->setCurrentIndex(
        WeekdayIndex(s.ReadInteger(kSection, kWeekDown, 0)));
    const QTime now = ctx_.Now().time;
    SetTimeFieldText(AlarmClockFirstMaskEdit, s.ReadTime(kSection, kFirstTime, now));
    SetTimeFieldText(AlarmClockSecondMaskEdit, s.ReadTime(kSection, kSecondTime, now));
    AlarmClockFirstHintEdit->setText(s.ReadString(kSection, kFirstHint, DefaultHint()));
    AlarmClockSecondHintEdit->setText(s.ReadString(kSection, kSecondHint, DefaultHint()));
    // Both states are read before either box is set: arming one saves the whole section,
    // the other box's state with it.
    const bool first = s.ReadBool(kSection, kFirstState, false);
    const bool second = s.ReadBool(kSection, kSecondState, false);
    AlarmClockFirstCheckBox->setChecked(first);
    AlarmClockSecondCheckBox->setChecked(second);
    playerFile_ = SoundPath;
}

void AlarmClocks::SaveAlarmClocks()
{
    SettingsFile& s = ctx_.Settings();
    s.WriteInteger(kSection, kWeekUp, WeekUp);
    s.WriteInteger(kSection, kWeekDown, WeekDown);
    s.WriteString(kSection, kFirstTime, FirstTime);
    s.WriteString(kSection, kSecondTime, SecondTime);
    s.WriteString(kSection, kFirstHint, FirstHint);
    s.WriteString(kSection, kSecondHint, SecondHint);
    s.WriteBool(kSection, kFirstState, AlarmClockFirstCheckBox->isChecked());
    s.WriteBool(kSection, kSecondState, AlarmClockSecondCheckBox->isChecked());
}

void AlarmClocks::TakeInEffectValues()
{
    WeekUp = AlarmClockWeekUpComboBox->currentIndex();
    WeekDown = AlarmClockWeekDownComboBox->currentIndex();
    FirstTime = AlarmClockFirstMaskEdit->text();
    SecondTime = AlarmClockSecondMaskEdit->text();
    FirstHint = AlarmClockFirstHintEdit->text();
    SecondHint = AlarmClockSecondHintEdit->text();
    // Parsed here once, so the check only compares numbers.
    firstAt_ = ParseTime(FirstTime);
    secondAt_ = ParseTime(SecondTime);
    ctx_.Replan();
}

void AlarmClocks::EnableBoxClick(bool first)
{
    ctx_.Guard([&] {
        QCheckBox* box = first ? AlarmClockFirstCheckBox : AlarmClockSecondCheckBox;
        QCheckBox* other = first ? AlarmClockSecondCheckBox : AlarmClockFirstCheckBox;
        QLineEdit* time = first ? AlarmClockFirstMaskEdit : AlarmClockSecondMaskEdit;
        QLineEdit* hint = first ? AlarmClockFirstHintEdit : AlarmClockSecondHintEdit;
        if (box->isChecked()) {
            // An alarm armed on a time that cannot be read would never ring, silently.
            if (!ParseTime(time->text())) {
                const QSignalBlocker quiet(box);
                box->setChecked(false);
                ctx_.Ui().ShowMessage(QString::fromUtf16(kTimeTip));
                return;
            }
            AlarmClockWeekUpComboBox->setEnabled(false);
            AlarmClockWeekDownComboBox->setEnabled(false);
            time->setEnabled(false);
            hint->setEnabled(false);
        } else {
            time->setEnabled(true);
            hint->setEnabled(true);
            // The range stays locked while the other alarm still rings by it.
            if (!other->isChecked()) {
                AlarmClockWeekUpComboBox->setEnabled(true);
                AlarmClockWeekDownComboBox->setEnabled(true);
            }
            ctx_.Settings().WriteBool(kSection, first ? kFirstState : kSecondState, false);
        }
        TakeInEffectValues();
        SaveAlarmClocks();
    });
}

void AlarmClocks::AlarmClockFirstCheckBoxClick()
{
    EnableBoxClick(true);
}

void AlarmClocks::AlarmClockSecondCheckBoxClick()
{
    EnableBoxClick(false);
}

void AlarmClocks::SetAlarmClockSoundButtonClick()
{
    ctx_.Guard([this] {
        const std::optional<QString> file =
            ctx_.Ui().OpenFile(QStringLiteral("请选择要使用的闹钟声音"), QStringLiteral("*.mp3"),
                               QFileInfo(SoundPath).absolutePath());
        if (!file || file->isEmpty())
            return;
        const QString path = QDir::toNativeSeparators(*file);
        ctx_.Settings().WriteString(kSection, kSoundPath, path);
        // Rings keep the sound loaded at start until the program starts again.
        SoundPath = path;
    });
}

void AlarmClocks::CheckAlarmClocks()
{
    const bool firstArmed = AlarmClockFirstCheckBox->isChecked();
    const bool secondArmed = AlarmClockSecondCheckBox->isChecked();
    if (!firstArmed && !secondArmed)
        return;
    const LocalMoment now = ctx_.Now();
    if (!ctx_.Due(schedule_, now))
        return;
    // Two alarms due in one second ring once, with the first one's hint.
    const bool firstDue = firstArmed && firstAt_ && SameSecond(*firstAt_, now.time);
    const QString message = QStringLiteral("闹铃时间到：") + TimeText(ctx_.Now().time) + u'\n' +
                            (firstDue ? FirstHint : SecondHint);
    RingAlarm(message, QStringLiteral("闹钟"),
              (firstDue ? QStringLiteral("第一个闹钟 ") + FirstTime
                        : QStringLiteral("第二个闹钟 ") + SecondTime) +
                  QStringLiteral(" 响铃"));
}

void AlarmClocks::RingAlarm(const QString& message, const QString& feature, const QString& what)
{
    const QString event = what.isEmpty() ? message : what;
    ctx_.Log(feature, event, QStringLiteral("已响铃"));
    if (++openRings_ == 1 && Ringing)
        Ringing(true);
    AlarmDismissed = false;
    AlarmClockMediaPlayer->Open(playerFile_);
    AlarmClockMediaPlayer->Play();
    // Whatever the answer, and even when the box ends in an error: the sound stops with
    // the last open box, so an inner ring answered first leaves the outer one sounding.
    const auto answered = qScopeGuard([this] {
        if (--openRings_ > 0)
            return;
        AlarmDismissed = true;
        AlarmClockMediaPlayer->Close();
        if (Ringing)
            Ringing(false);
    });
    ctx_.Ui().ShowYesOnly(message);
    // Stamped with the moment of the answer: how long it rang is read from the two lines.
    ctx_.Log(feature, event, QStringLiteral("已确认"));
}

void AlarmClocks::AlarmClockMediaPlayerNotify()
{
    if (AlarmDismissed || openRings_ == 0) {
        AlarmClockMediaPlayer->Close();
        AlarmDismissed = false;
        return;
    }
    AlarmClockMediaPlayer->Play();
}

std::optional<Occurrence> AlarmClocks::NextDue(const LocalMoment& after) const
{
    // Only an alarm whose own box is checked rings.
    const std::optional<QTime> first =
        AlarmClockFirstCheckBox->isChecked() ? firstAt_ : std::optional<QTime>();
    const std::optional<QTime> second =
        AlarmClockSecondCheckBox->isChecked() ? secondAt_ : std::optional<QTime>();
    if (!first && !second)
        return std::nullopt;
    const qint64 from = SecondOf(after);
    // A week holds every weekday the range can name.
    for (int day = 0; day <= 7; ++day) {
        const QDate date = after.date.addDays(day);
        if (!Between(WeekdayOf(date), WeekUp, WeekDown))
            continue;
        std::optional<Occurrence> next;
        const auto offer = [&](const std::optional<QTime>& at, const QString& hint) {
            const LocalMoment when{date,
                                   at ? QTime(at->hour(), at->minute(), at->second()) : QTime()};
            if (at && SecondOf(when) >= from && (!next || SecondOf(when) < SecondOf(next->when)))
                next = Occurrence{when, QStringLiteral("闹钟"), hint};
        };
        offer(first, FirstHint);
        offer(second, SecondHint);
        if (next)
            return next;
    }
    return std::nullopt;
}
