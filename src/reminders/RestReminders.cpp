#include "reminders/RestReminders.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("RestHint");
const QString kKey = QStringLiteral("RestHintState");
constexpr qint64 kUptimeStep = 7200;

bool IsNightHour(int hour)
{
    return hour >= 22 || hour <= 4;
}

bool IsSummerNoon(const LocalMoment& m)
{
    return m.date.month() >= 6 && m.date.month() <= 9 && m.time.hour() == 12;
}

} // namespace

RestReminders::RestReminders(FeatureContext& ctx) : ctx_(ctx)
{
    QWidget* page = ctx.Page(PageId::Install);
    auto* group = new QGroupBox(QStringLiteral("疲劳提醒"), page);
    group->setObjectName(QStringLiteral("RestHintGroupBox"));
    auto* layout = new QVBoxLayout(group);
    // Unchecked until loading sets it, so that loading a true state runs the handler.
    RestHintCheckBox = new QCheckBox(QStringLiteral("启用疲劳提醒"), group);
    RestHintCheckBox->setObjectName(QStringLiteral("RestHintCheckBox"));
    RestHintCheckBox->setToolTip(
        QStringLiteral("每用电脑两小时、深夜整点和夏季中午在托盘中提醒您休息"));
    layout->addWidget(RestHintCheckBox);
    ctx.AddToPage(PageId::Install, group);
    QObject::connect(RestHintCheckBox, &QCheckBox::toggled, group,
                     [this] { ctx_.Guard([&] { RestHintCheckBoxClick(); }); });

    ctx.OnTick(TickCheck::CheckRestReminders, [this] { CheckRestReminders(); });
    ctx.OnLoad(LoadStep::RestReminders, [this] { LoadRestReminders(); });
    // Only the next reminder is listed: the hourly ones at night would fill the list.
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }, true});
}

QString RestReminders::UptimeText(qint64 hours)
{
    return QStringLiteral("你已经使用电脑") + QString::number(hours) +
           QStringLiteral("小时\n"
                          "保护视力:请在户内活动一下身体,瞭望远景一会儿,然后闭上眼睛几分钟或者做一"
                          "下眼保健操.\n调整你的坐姿,屏幕与眼睛距离保持为0.5至0.7米,眼睛视线向下约"
                          "30度,多眨眨眼.\n使用完电脑后,请去洗洗脸^_^.");
}

const QString& RestReminders::NightText()
{
    static const QString text = QStringLiteral(
        "你应该睡觉休息啦!.人体最佳睡眠休息时间(晚上22点—早上6点).请勿经常熬夜!\n"
        "经常熬夜会造成:\n"
        "1.免疫力下降(肠胃感染,过敏,自律神经失调,头昏脑胀,偏头痛)\n"
        "2.肠胃危机(吃夜宵导致:胃癌,胃黏膜溃烂，溃疡)\n"
        "3.心脏病风险增加\n"
        "4.导致肥胖(交感神经和副交感神经失调)\n"
        "5.耳聋(耳内供血不足)\n"
        "6.皮肤受损(皮肤在22点-23点进入皮肤保养时间,熬夜会造成人体内分泌和神经系统循环失调)\n"
        "7.记忆力下降(反应迟钝,健忘,头晕,头痛,神经衰弱)");
    return text;
}

const QString& RestReminders::NoonText()
{
    static const QString text =
        QStringLiteral("午休时间到啦!午休一会儿对你下午的工作和学习都有很大的提高哦!\n"
                       "午休的最佳时间为12点—13点(时长为30分钟—1小时内).\n"
                       "正确的睡姿为:头高脚底,右侧卧位.\n"
                       "醒后应轻度活动以及和喝一杯水.");
    return text;
}

void RestReminders::LoadRestReminders()
{
    RestHintCheckBox->setChecked(ctx_.Settings().ReadBool(kSection, kKey, true));
}

void RestReminders::RestHintCheckBoxClick()
{
    ctx_.Settings().WriteBool(kSection, kKey, RestHintCheckBox->isChecked());
    ctx_.Replan();
}

void RestReminders::CheckRestReminders()
{
    if (!RestHintCheckBox->isChecked())
        return;

    const qint64 uptime = ctx_.Os().systemInfo->tickCount() / 1000;
    // A tick lands in each uptime second only about once, as the two clocks run out of
    // phase, and the planned second may fall either side of the step: a step passed since
    // the last check counts when it is at most a second behind, a second seen twice does
    // not. Uptime 0 is the 32-bit count wrapping, not two hours of use.
    const bool newStep =
        lastUptime_ < 0 || uptime < lastUptime_ || uptime / kUptimeStep > lastUptime_ / kUptimeStep;
    const bool uptimeDue = newStep && uptime >= kUptimeStep && uptime % kUptimeStep <= 1;
    lastUptime_ = uptime;
    if (uptimeDue)
        ctx_.ShowTrayBalloon(UptimeText(uptime / kUptimeStep * 2));

    const LocalMoment now = ctx_.Now();
    if (!ctx_.Due(schedule_, now))
        return;
    const QTime t = now.time;
    if (t.minute() != 0 || t.second() != 0)
        return;
    if (IsNightHour(t.hour()))
        ctx_.ShowTrayBalloon(NightText());
    if (IsSummerNoon(now))
        ctx_.ShowTrayBalloon(NoonText());
}

std::optional<Occurrence> RestReminders::NextDue(const LocalMoment& after) const
{
    if (!RestHintCheckBox->isChecked())
        return std::nullopt;
    const qint64 from = SecondOf(after);
    const qint64 uptime = ctx_.Os().systemInfo->tickCount() / 1000;
    // The clock's second in which the uptime count was zero.
    const qint64 boot = SecondOf(ctx_.Now()) - uptime;
    const qint64 step = std::max<qint64>((from - boot + kUptimeStep - 1) / kUptimeStep, 1);
    std::optional<Occurrence> next =
        Occurrence{Occurrences::MomentAt(boot + step * kUptimeStep), QStringLiteral("疲劳提醒"),
                   QStringLiteral("已用电脑 %1 小时，提醒休息").arg(step * 2)};
    // Every day has its night hours.
    if (const auto at = Occurrences::FirstAligned(
            after, Occurrences::After(after, 86400), 3600,
            [](const LocalMoment& m) { return IsNightHour(m.time.hour()) || IsSummerNoon(m); });
        at && SecondOf(*at) < SecondOf(next->when))
        next = Occurrence{*at, QStringLiteral("疲劳提醒"),
                          IsNightHour(at->time.hour()) ? QStringLiteral("深夜提醒休息")
                                                       : QStringLiteral("提醒午休")};
    return next;
}
