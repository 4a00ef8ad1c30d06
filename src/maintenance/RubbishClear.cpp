#include "maintenance/RubbishClear.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

namespace {

// The name its lines carry in the record of what was done.
const QString kFeature = QStringLiteral("系统清理");
const QString kSection = QStringLiteral("SystemClear");
const QString kWeekClear = QStringLiteral("WeekClear");
const QString kDestineWeekClearState = QStringLiteral("DestineWeekClearState");
const QString kDiskSize = QStringLiteral("DiskSize");
const QString kDiskSizeState = QStringLiteral("DiskSizeState");
const QString kNextDate = QStringLiteral("NextDate");
const QString kClearState = QStringLiteral("ClearState");

constexpr long long kJunkWarningMB = 5000;
constexpr std::uint32_t kJunkWarningChecks = 15;
// One hour of checks between two cleanings at the used-space limit.
constexpr std::uint32_t kLimitRestChecks = 3600;

#ifdef Q_OS_WIN
const std::u16string kSystemDrive = u"C:\\";
#else
const std::u16string kSystemDrive = u"/";
#endif

const QString kCleaningNotice = QStringLiteral("正在为您清理系统垃圾");
// Tells the cleaner where to write its report.
constexpr char kReportVariable[] = "QUORLIN_CLEAN_REPORT";

// The end of the cleaner's report, where the folders it skipped and its summary stand: a
// report of many thousand removals is not read whole on the window's thread.
constexpr qint64 kReportTail = 64 * 1024;

// The end of the report as text: UTF-16 with its mark from the Windows script, UTF-8 from
// the Linux one.
QString ReportTail(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const bool utf16 = file.peek(2) == QByteArray("\xff\xfe");
    // The file's size is even in UTF-16, and so the offset: no character is cut in half.
    file.seek(std::max<qint64>(utf16 ? 2 : 0, file.size() - kReportTail));
    const QByteArray bytes = file.readAll();
    if (utf16)
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    return QString::fromUtf8(bytes);
}

} // namespace

RubbishClear::RubbishClear(FeatureContext& ctx) : ctx_(ctx)
{
    QWidget* page = ctx.Page(PageId::ClearRubbish);
    SystemClearGroupBox = new QGroupBox(QStringLiteral("系统垃圾清理任务"), page);
    SystemClearGroupBox->setObjectName(QStringLiteral("SystemClearGroupBox"));
    auto* column = new QVBoxLayout(SystemClearGroupBox);

    DestineWeekClearCheckBox = new QCheckBox(QStringLiteral("指定日期清理"), SystemClearGroupBox);
    DestineWeekClearCheckBox->setObjectName(QStringLiteral("DestineWeekClearCheckBox"));
    DestineWeekClearComboBox = new QComboBox(SystemClearGroupBox);
    DestineWeekClearComboBox->setObjectName(QStringLiteral("DestineWeekClearComboBox"));
    DestineWeekClearComboBox->addItems(
        {QStringLiteral("每天"), QStringLiteral("每一个星期"), QStringLiteral("每二个星期"),
         QStringLiteral("每三个星期"), QStringLiteral("每四个星期"), QStringLiteral("每五个星期")});
    auto* schedule = new QHBoxLayout;
    schedule->addWidget(DestineWeekClearCheckBox);
    schedule->addWidget(DestineWeekClearComboBox);
    schedule->addStretch();
    column->addLayout(schedule);

    DiskSizeCheckBox = new QCheckBox(QStringLiteral("当系统占有率大于"), SystemClearGroupBox);
    DiskSizeCheckBox->setObjectName(QStringLiteral("DiskSizeCheckBox"));
    SetDiskSizeEdit = new QLineEdit(SystemClearGroupBox);
    SetDiskSizeEdit->setObjectName(QStringLiteral("SetDiskSizeEdit"));
    SetDiskSizeEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,9}")), SetDiskSizeEdit));
    SetDiskSizeEdit->setMaximumWidth(90);
    auto* limit = new QHBoxLayout;
    limit->addWidget(DiskSizeCheckBox);
    limit->addWidget(SetDiskSizeEdit);
    limit->addWidget(new QLabel(QStringLiteral("MB执行清理"), SystemClearGroupBox));
    limit->addStretch();
    column->addLayout(limit);

    ShowDiskSize = new QLabel(SystemClearGroupBox);
    ShowDiskSize->setObjectName(QStringLiteral("ShowDiskSize"));
    ShowDiskSize->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    // Three lines from the start, so the page does not move at the first figures.
    ShowDiskSize->setText(DiskSizeText(0, 0));
    column->addWidget(ShowDiskSize);

    HandClearButton = new QPushButton(QStringLiteral("手动清理系统垃圾"), SystemClearGroupBox);
    HandClearButton->setObjectName(QStringLiteral("HandClearButton"));
    HandClearButton->setToolTip(QStringLiteral("能有效的清除系统的垃圾文件以及无用的文件"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HandClearButton);
    buttons->addStretch();
    column->addLayout(buttons);
    ctx.AddToPage(PageId::ClearRubbish, SystemClearGroupBox);

    connect(DestineWeekClearCheckBox, &QCheckBox::toggled, this,
            [this] { ctx_.Guard([this] { DestineWeekClearCheckBoxClick(); }); });
    connect(DiskSizeCheckBox, &QCheckBox::toggled, this,
            [this] { ctx_.Guard([this] { DiskSizeCheckBoxClick(); }); });
    connect(HandClearButton, &QPushButton::clicked, this,
            [this] { ctx_.Guard([this] { HandClearButtonClick(); }); });
    ctx.OnLoad(LoadStep::SystemClear, [this] { LoadSystemClear(); });
    ctx.OnTick(TickCheck::CheckSystemClear, [this] { CheckSystemClear(); });
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }});
    ctx.OnWatch([this] { return Watching(); });
    // The figures come back with the page: the ticks must start again at once.
    page->installEventFilter(this);
}

bool RubbishClear::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched == ctx_.Page(PageId::ClearRubbish))
        ctx_.Replan();
    return QObject::eventFilter(watched, event);
}

void RubbishClear::Replan()
{
    overdueAt_.reset();
    ctx_.Replan();
}

QString RubbishClear::CleanerPath() const
{
#ifdef Q_OS_WIN
    return ctx_.ProgramDir() + QStringLiteral("RubbishClear.bat");
#else
    return ctx_.ProgramDir() + QStringLiteral("RubbishClear.sh");
#endif
}

QString RubbishClear::ReportPath() const
{
    return ctx_.DataDir() + QStringLiteral("RubbishClear.log");
}

QString RubbishClear::DiskSizeText(long long totalMB, long long usedMB)
{
    return QStringLiteral("系统盘总空间：%1MB  \n系统占用空间：%2MB  \n剩余可用空间：%3MB")
        .arg(totalMB)
        .arg(usedMB)
        .arg(totalMB - usedMB);
}

void RubbishClear::LoadSystemClear()
{
    const SettingsFile& settings = ctx_.Settings();
    const int weekClear = settings.ReadInteger(kSection, kWeekClear, 0);
    const int option = weekClear / 7;
    DestineWeekClearComboBox->setCurrentIndex(option >= 0 && option <= 5 ? option : 0);
    const int diskSize = settings.ReadInteger(kSection, kDiskSize, 4000);
    SetDiskSizeEdit->setText(QString::number(diskSize));
    // What is stored stays in effect until switched on anew, so a save by the other box
    // does not wipe the period or the limit the user chose.
    ClearPeriodDays = 7 * DestineWeekClearComboBox->currentIndex();
    DiskSizeLimitMB = diskSize;
    NextClearDate = settings.ReadDate(kSection, kNextDate, ctx_.Now().date);
    // The flag marks a cleaning whose next date the check has not yet seen lie ahead. Stored
    // beside a date already reached (the program ended in that second, or the file was
    // edited), it would hold every later cleaning back for good: that cleaning is over.
    ClearState = settings.ReadBool(kSection, kClearState, false) && NextClearDate > ctx_.Now().date;
    DestineWeekClearCheckBox->setChecked(
        settings.ReadBool(kSection, kDestineWeekClearState, false));
    DiskSizeCheckBox->setChecked(settings.ReadBool(kSection, kDiskSizeState, false));
    Replan();
}

void RubbishClear::SaveSystemClear()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteInteger(kSection, kWeekClear, ClearPeriodDays);
    settings.WriteBool(kSection, kDestineWeekClearState, DestineWeekClearCheckBox->isChecked());
    settings.WriteInteger(kSection, kDiskSize, DiskSizeLimitMB);
    settings.WriteBool(kSection, kDiskSizeState, DiskSizeCheckBox->isChecked());
    settings.WriteDate(kSection, kNextDate, NextClearDate);
    settings.WriteBool(kSection, kClearState, ClearState);
}

void RubbishClear::DestineWeekClearCheckBoxClick()
{
    // Asked again once the period is in effect, and also when a write below fails.
    const auto replan = qScopeGuard([this] { Replan(); });
    if (!DestineWeekClearCheckBox->isChecked()) {
        DestineWeekClearComboBox->setEnabled(true);
        ctx_.Settings().WriteBool(kSection, kDestineWeekClearState, false);
        return;
    }
    ClearPeriodDays = 7 * std::max(0, DestineWeekClearComboBox->currentIndex());
    DestineWeekClearComboBox->setEnabled(false);
    DiskSizeCheckBox->setChecked(ctx_.Settings().ReadBool(kSection, kDiskSizeState, false));
    SaveSystemClear();
}

void RubbishClear::DiskSizeCheckBoxClick()
{
    // On, the limit is looked at every second; off, perhaps nothing is.
    const auto replan = qScopeGuard([this] { ctx_.Replan(); });
    if (!DiskSizeCheckBox->isChecked()) {
        SetDiskSizeEdit->setEnabled(true);
        ctx_.Settings().WriteBool(kSection, kDiskSizeState, false);
        return;
    }
    bool ok = false;
    const int limit = SetDiskSizeEdit->text().trimmed().toInt(&ok, 10);
    if (!ok || limit < 0) {
        // Nothing is switched on and nothing stored: the box goes back without its handler.
        {
            const QSignalBlocker quiet(DiskSizeCheckBox);
            DiskSizeCheckBox->setChecked(false);
        }
        ctx_.Ui().ShowMessage(QStringLiteral("请在输入框中填写清理的空间大小(MB), 只能是数字"));
        return;
    }
    DiskSizeLimitMB = limit;
    SetDiskSizeEdit->setEnabled(false);
    SaveSystemClear();
    DiskClearDone = false;
}

void RubbishClear::HandClearButtonClick()
{
    StartCleaner(platform::CommandLauncher::Normal);
    // Its end is watched for every second.
    ctx_.Replan();
}

bool RubbishClear::FiguresWanted() const
{
    return JunkWarningPending || DiskSizeCheckBox->isChecked() || ShowDiskSize->isVisible();
}

bool RubbishClear::Watching() const
{
    // The junk warning looks for its first checks only: on a drive with little in use it
    // would keep the program awake for good. Later ticks still look while it is pending.
    return cleaner_ != 0 || DiskSizeCheckBox->isChecked() || ShowDiskSize->isVisible() ||
           (JunkWarningPending && junkLooks_ < kJunkWarningChecks);
}

void RubbishClear::ReadFigures()
{
    // One volume-size call; the label only changes with the figures.
    const auto space =
        ctx_.Os().systemInfo ? ctx_.Os().systemInfo->diskSpace(kSystemDrive) : std::nullopt;
    const long long totalMB = space ? static_cast<long long>(space->total / 1024 / 1024) : 0;
    const long long freeMB = space ? static_cast<long long>(space->freeToCaller / 1024 / 1024) : 0;
    SystemDiskTotalMB = static_cast<int>(totalMB);
    SystemDiskUsedMB = static_cast<int>(totalMB - freeMB);
    if (totalMB != shownTotalMB_ || totalMB - freeMB != shownUsedMB_) {
        shownTotalMB_ = totalMB;
        shownUsedMB_ = totalMB - freeMB;
        ShowDiskSize->setText(DiskSizeText(totalMB, totalMB - freeMB));
    }
}

void RubbishClear::CheckSystemClear()
{
    // The tick runs for other features as well: the drive is asked only when needed.
    if (FiguresWanted())
        ReadFigures();
    if (cleaner_)
        WatchCleaner();

    if (JunkWarningPending)
        ++junkLooks_;
    if (JunkWarningPending && SystemDiskUsedMB >= kJunkWarningMB &&
        ++JunkWarningTicks >= kJunkWarningChecks) {
        JunkWarningPending = false;
        ctx_.ShowTrayBalloon(QStringLiteral(
            "您目前的系统可能存在大量的垃圾会造成系统运行缓慢!建议您使用本软件的清理工具,"
            "能完全清理所有系统垃圾及无用文件,提升您的系统性能"));
    }

    if (DestineWeekClearCheckBox->isChecked()) {
        const LocalMoment now = ctx_.Now();
        // The mark of the last cleaning is cleared on the check after it, whatever the date:
        // kept while its next day came (a cleaning started in the last second of a day, the
        // clock moved on) it would hold that cleaning and every later one back.
        const bool marked = std::exchange(ClearState, false);
        if (ctx_.Due(schedule_, now)) {
            // Every day, or every k weeks on the same weekday.
            NextClearDate = now.date.addDays(std::max(ClearPeriodDays, 1));
            ClearState = true;
            Replan();
            // Started before the save: on a full disk the save fails, and that is when
            // cleaning is needed most.
            ctx_.ShowTrayBalloon(kCleaningNotice);
            StartCleaner(platform::CommandLauncher::Minimized);
            SaveFromCheck();
        } else if (marked) {
            SaveFromCheck();
        }
    }

    if (DiskSizeCheckBox->isChecked()) {
        if (SystemDiskUsedMB >= DiskSizeLimitMB && !DiskClearDone) {
            DiskClearDone = true;
            DiskClearTicks = 0;
            ctx_.ShowTrayBalloon(kCleaningNotice);
            StartCleaner(platform::CommandLauncher::Minimized);
        } else if (DiskClearDone && ++DiskClearTicks >= kLimitRestChecks) {
            DiskClearDone = false;
        }
    }
}

void RubbishClear::SaveFromCheck()
{
    try {
        SaveSystemClear();
        saveRefusalShown_ = false;
    } catch (const std::exception& e) {
        const QString why = QString::fromUtf8(e.what());
        ctx_.Log(kFeature, QStringLiteral("保存清理日期"), QStringLiteral("失败: ") + why);
        if (saveRefusalShown_)
            return;
        saveRefusalShown_ = true;
        ctx_.Ui().ShowError(
            QStringLiteral("无法保存下次清理的日期 (磁盘可能已满), 本次清理照常进行: ") + why);
    }
}

void RubbishClear::StartCleaner(int showMode)
{
    const QString path = CleanerPath();
    platform::CommandLauncher* launcher = ctx_.Os().launcher.get();
    if (!launcher) {
        ctx_.Log(kFeature, QStringLiteral("启动清理程序 ") + path, QStringLiteral("失败"));
        ctx_.ShowTrayBalloon(QStringLiteral("此系统不能启动清理程序 %1").arg(path));
        return;
    }
    // Two cleaners would delete the same files at once and both report them.
    if (cleaner_) {
        ctx_.Log(kFeature, QStringLiteral("启动清理程序 ") + path,
                 QStringLiteral("未启动: 上一次清理还在进行"));
        if (showMode == platform::CommandLauncher::Normal)
            ctx_.ShowTrayBalloon(QStringLiteral("上一次清理还在进行, 请等它结束后再清理"));
        return;
    }
    // A report left from an earlier run must not be taken for this one's.
    const QString report = ReportPath();
    QFile::remove(report);
    QDir().mkpath(ctx_.DataDir());
    // The launcher passes no arguments: the cleaner inherits the path with our environment.
    const QByteArray reportVariable = QDir::toNativeSeparators(report).toLocal8Bit();
    if (qgetenv(kReportVariable) != reportVariable)
        qputenv(kReportVariable, reportVariable);
    const auto result = launcher->launch(path.toStdU16String(), showMode);
    ctx_.Log(kFeature, QStringLiteral("启动清理程序 ") + path,
             result.started() ? QStringLiteral("已启动")
                              : QStringLiteral("失败 (错误代码 %1)").arg(result.code));
    if (!result.started()) {
        ctx_.ShowTrayBalloon(
            result.code == 2 || result.code == 3
                ? QStringLiteral("没有找到清理程序 %1").arg(path)
                : QStringLiteral("无法启动清理程序 %1 (错误代码 %2)").arg(path).arg(result.code));
        return;
    }
    cleaner_ = result.process;
}

void RubbishClear::WatchCleaner()
{
    if (!ctx_.Os().launcher->hasExited(cleaner_))
        return;
    cleaner_ = 0;
    TellCleanerEnded();
}

void RubbishClear::TellCleanerEnded()
{
    // The free space of one drive says nothing of what went from a /home or /tmp of their
    // own: the figure is the one the cleaner counted.
    const QString report = ReportPath();
    const QString text = ReportTail(report);
    static const QRegularExpression summary(
        QStringLiteral("清理完成: 共删除 (\\d+) 项, 释放 [0-9.]+ MB 空间 \\((\\d+) 字节\\)"));
    static const QRegularExpression skippedLine(QStringLiteral("^已跳过: "),
                                                QRegularExpression::MultilineOption);
    QRegularExpressionMatch found;
    for (auto it = summary.globalMatch(text); it.hasNext();)
        found = it.next();
    bool ok = false;
    const qulonglong bytes = found.hasMatch() ? found.captured(2).toULongLong(&ok) : 0;
    if (!ok) {
        ctx_.Log(kFeature, QStringLiteral("清理结束"), QStringLiteral("没有报告结果"));
        ctx_.ShowTrayBalloon(
            QStringLiteral("清理程序已结束, 但没有报告释放了多少空间 (%1)").arg(report));
        return;
    }
    QString notice = QStringLiteral("清理完成，释放了 %1 MB 空间").arg(bytes >> 20);
    int skipped = 0;
    for (auto it = skippedLine.globalMatch(text); it.hasNext(); it.next())
        ++skipped;
    if (skipped > 0)
        notice += QStringLiteral("；%1 个目录不能确认是临时或缓存目录，没有清理，详见 %2")
                      .arg(skipped)
                      .arg(report);
    ctx_.Log(
        kFeature, QStringLiteral("清理完成"),
        QStringLiteral("删除 %1 项, 释放了 %2 MB 空间").arg(found.captured(1)).arg(bytes >> 20));
    ctx_.ShowTrayBalloon(notice);
}

std::optional<Occurrence> RubbishClear::NextDue(const LocalMoment& after) const
{
    if (!DestineWeekClearCheckBox->isChecked())
        return std::nullopt;
    const int period = std::max(ClearPeriodDays, 1);
    const qint64 from = SecondOf(after);
    LocalMoment at{NextClearDate, QTime(0, 0)};
    // Its day has come already: the first check from now on cleans (in this second, or in
    // the next when this one's tick has gone by), and the next period counts from that
    // check's day. An answer asked for a later second lists the cleanings after it; a planned
    // second gone by without a tick (asleep, busy, the clock set) is planned anew.
    const qint64 now = SecondOf(ctx_.Now());
    if (SecondOf(at) <= now) {
        if (!overdueAt_ || *overdueAt_ < now || *overdueAt_ > now + 1)
            overdueAt_ = std::clamp(from, now, now + 1);
        at = Occurrences::MomentAt(*overdueAt_);
    }
    while (SecondOf(at) < from)
        at = {at.date.addDays(period), QTime(0, 0)};
    return Occurrence{at, kFeature, DestineWeekClearCheckBox->text()};
}
