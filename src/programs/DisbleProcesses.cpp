#include "programs/DisbleProcesses.h"

#include "core/FeatureContext.h"
#include "core/Weekdays.h"
#include "programs/DisbleProcessForm.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kColumns = 5;
constexpr int kStartRows = 4;

} // namespace

DisbleProcesses::DisbleProcesses(FeatureContext& ctx)
    : ctx_(ctx),
      // The title may hold spaces: the last four words are the fixed fields.
      list_(*ctx.Os().ansi, ctx.Ui(), ctx.DataDir() + QStringLiteral("DisbleProcessList"),
            QStringLiteral("禁止程序列表"), {kColumns, ListFile::Rest::IntoFirst, "\n"})
{
    BuildGroup();
    DisbleProcessForm = new TDisbleProcessForm(ctx_, *this);
    IndexRows();
    ctx_.OnLoad(LoadStep::DisbleProcessList, [this] { LoadDisbleProcessList(); });
    ctx_.OnTick(TickCheck::CheckDisbleProcessList, [this] { CheckDisbleProcessList(); });
    ctx_.OnWatch([this] { return armed_; });
}

DisbleProcesses::~DisbleProcesses()
{
    delete DisbleProcessForm;
}

void DisbleProcesses::BuildGroup()
{
    QWidget* page = ctx_.Page(PageId::GradeFunction);
    auto* group = new QGroupBox(QStringLiteral("设定要禁止的使用的程序"), page);
    group->setObjectName(QStringLiteral("DisbleProcessGroupBox"));
    auto* layout = new QVBoxLayout(group);

    DisbleProcessStringGrid = new QTableWidget(kStartRows, kColumns, group);
    DisbleProcessStringGrid->setObjectName(QStringLiteral("DisbleProcessStringGrid"));
    DisbleProcessStringGrid->horizontalHeader()->hide();
    DisbleProcessStringGrid->verticalHeader()->hide();
    DisbleProcessStringGrid->verticalHeader()->setDefaultSectionSize(
        std::max(18, DisbleProcessStringGrid->fontMetrics().height() + 4));
    DisbleProcessStringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DisbleProcessStringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DisbleProcessStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DisbleProcessStringGrid->setWordWrap(false);
    // Weekday and time columns wide enough for their text in the font in use.
    const QFontMetrics fm = DisbleProcessStringGrid->fontMetrics();
    const int day = std::max(44, fm.horizontalAdvance(QStringLiteral("星期三")) + 12);
    const int time = std::max(50, fm.horizontalAdvance(QStringLiteral("00:00:00")) + 12);
    DisbleProcessStringGrid->setColumnWidth(0, 160);
    DisbleProcessStringGrid->setColumnWidth(1, day);
    DisbleProcessStringGrid->setColumnWidth(2, day);
    DisbleProcessStringGrid->setColumnWidth(3, time);
    DisbleProcessStringGrid->setColumnWidth(4, time);
    DisbleProcessStringGrid->horizontalHeader()->setStretchLastSection(true);
    DisbleProcessStringGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(DisbleProcessStringGrid, 1);

    DisbleProcessPopupMenu = new QMenu(DisbleProcessStringGrid);
    DisbleProcessPopupMenu->setObjectName(QStringLiteral("DisbleProcessPopupMenu"));
    DeleteDisbleProcess = DisbleProcessPopupMenu->addAction(QStringLiteral("删除"));
    DeleteDisbleProcess->setObjectName(QStringLiteral("DeleteDisbleProcess"));

    auto* buttons = new QHBoxLayout;
    AdddisbleProcessButton = new QPushButton(QStringLiteral("添加要禁止使用的程序"), group);
    AdddisbleProcessButton->setObjectName(QStringLiteral("AdddisbleProcessButton"));
    buttons->addWidget(AdddisbleProcessButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    ctx_.AddToPage(PageId::GradeFunction, group, 1);

    QObject::connect(DisbleProcessStringGrid, &QTableWidget::customContextMenuRequested, group,
                     [this](const QPoint& at) {
                         DisbleProcessPopupMenu->popup(
                             DisbleProcessStringGrid->viewport()->mapToGlobal(at));
                     });
    QObject::connect(DeleteDisbleProcess, &QAction::triggered, group,
                     [this] { ctx_.Guard([this] { DeleteDisbleProcessClick(); }); });
    QObject::connect(AdddisbleProcessButton, &QPushButton::clicked, group,
                     [this] { ctx_.Guard([this] { AdddisbleProcessButtonClick(); }); });
}

void DisbleProcesses::IndexRows()
{
    const int rows = DisbleProcessStringGrid->rowCount();
    rules_.assign(static_cast<size_t>(rows), std::nullopt);
    const QStringList& days = WeekdayNames();
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = GridRow(DisbleProcessStringGrid, r);
        const int first = static_cast<int>(days.indexOf(cells.value(1)));
        const int last = static_cast<int>(days.indexOf(cells.value(2)));
        const std::optional<QTime> from = ParseTime(cells.value(3));
        const std::optional<QTime> to = ParseTime(cells.value(4));
        // A weekday typed by hand or a time that does not exist is never in force.
        if (cells.value(0).isEmpty() || first < 0 || last < 0 || !from || !to)
            continue;
        rules_[static_cast<size_t>(r)] = Rule{cells.value(0), first, last, *from, *to};
    }
    inForceDay_ = QDate();
    const bool armed =
        std::any_of(rules_.begin(), rules_.end(), [](const auto& rule) { return bool(rule); });
    if (armed != armed_) {
        armed_ = armed;
        ctx_.Replan();
    }
}

void DisbleProcesses::LoadDisbleProcessList()
{
    const std::optional<ListFile::Records> records =
        list_.Read(QStringLiteral("禁止程序列表未能载入"));
    if (!records || records->empty())
        return;
    ShowRecords(DisbleProcessStringGrid, *records);
    IndexRows();
}

bool DisbleProcesses::AppendDisbleProcess(const QStringList& record)
{
    if (!list_.Append(record, QStringLiteral("程序没有添加")))
        return false;
    LoadDisbleProcessList();
    return true;
}

void DisbleProcesses::DeleteDisbleProcessRow(int row)
{
    const int rows = DisbleProcessStringGrid->rowCount();
    if (row < 0 || row >= rows)
        return;
    ListFile::Records records = GridRecords(DisbleProcessStringGrid);
    records.erase(records.begin() + row);
    if (!list_.Rewrite(records, QStringLiteral("程序没有删除")))
        return;
    if (rows > 1)
        DisbleProcessStringGrid->removeRow(row);
    else
        SetGridRow(DisbleProcessStringGrid, 0, {});
    IndexRows();
}

void DisbleProcesses::FindRulesInForce(const QDate& day, int msecs)
{
    inForceDay_ = day;
    inForceFrom_ = 0;
    inForceUntil_ = 86'400'000;
    inForce_.clear();
    const int today = WeekdayOf(day);
    // The time carries its milliseconds: the later bound is the first instant outside.
    for (const std::optional<Rule>& rule : rules_) {
        if (!rule || !Between(today, rule->firstDay, rule->lastDay))
            continue;
        const int from = std::min(rule->from, rule->to).msecsSinceStartOfDay();
        const int to = std::max(rule->from, rule->to).msecsSinceStartOfDay();
        if (msecs < from) {
            inForceUntil_ = std::min(inForceUntil_, from);
        } else if (msecs <= to) {
            inForce_.push_back(rule->title.toStdU16String());
            inForceFrom_ = std::max(inForceFrom_, from);
            inForceUntil_ = std::min(inForceUntil_, to + 1);
        } else {
            inForceFrom_ = std::max(inForceFrom_, to + 1);
        }
    }
}

void DisbleProcesses::CheckDisbleProcessList()
{
    if (!armed_) {
        // The last row went: what it closed is no longer being closed.
        lastClosed_.clear();
        return;
    }
    const LocalMoment now = ctx_.Now();
    const int msecs = now.time.msecsSinceStartOfDay();
    // A bound crossed, a new day, the clock set, or a changed list.
    if (now.date != inForceDay_ || msecs < inForceFrom_ || msecs >= inForceUntil_)
        FindRulesInForce(now.date, msecs);
    // The rows in force are asked about together: one look over the windows, not one a row.
    if (platform::WindowsByTitle* windows = ctx_.Os().windows.get(); windows && !inForce_.empty())
        LogClosed(windows->requestCloseEach(inForce_));
    else if (!lastClosed_.empty())
        lastClosed_.clear();
}

void DisbleProcesses::LogClosed(std::vector<std::u16string> closed)
{
    for (const std::u16string& title : closed)
        if (std::find(lastClosed_.begin(), lastClosed_.end(), title) == lastClosed_.end())
            ctx_.Log(QStringLiteral("程序禁止"),
                     QStringLiteral("关闭窗口 ") + QString::fromStdU16String(title),
                     QStringLiteral("已请求关闭"));
    lastClosed_ = std::move(closed);
}

void DisbleProcesses::CloseDisbleProcessWindow(int row)
{
    if (row < 0 || row >= static_cast<int>(rules_.size()) || !rules_[size_t(row)])
        return;
    platform::WindowsByTitle* windows = ctx_.Os().windows.get();
    const QString& title = rules_[size_t(row)]->title;
    if (windows && windows->requestClose(title.toStdU16String()))
        ctx_.Log(QStringLiteral("程序禁止"), QStringLiteral("关闭窗口 ") + title,
                 QStringLiteral("已请求关闭"));
}

bool DisbleProcesses::WindowsClosable() const
{
    platform::WindowsByTitle* windows = ctx_.Os().windows.get();
    return windows && windows->available();
}

void DisbleProcesses::AdddisbleProcessButtonClick()
{
    DisbleProcessForm->ShowCentred();
}

void DisbleProcesses::DeleteDisbleProcessClick()
{
    DeleteDisbleProcessRow(DisbleProcessStringGrid->currentRow());
}
