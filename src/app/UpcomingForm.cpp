#include "app/UpcomingForm.h"

#include "app/Artwork.h"
#include "core/Occurrences.h"
#include "core/PowerRequests.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

// The features whose work is lost when the session ends before them.
bool NeedsSession(const QString& feature)
{
    return feature == QStringLiteral("闹钟") || feature == QStringLiteral("备忘录") ||
           feature == QStringLiteral("定时收音");
}

// Screen off leaves the session running.
bool EndsSession(std::optional<PowerMode> mode)
{
    return mode && *mode != PowerMode::ScreenOff;
}

QTableWidget* NewGrid(QWidget* parent, const QString& name, const QStringList& headers)
{
    auto* grid = new QTableWidget(0, int(headers.size()), parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(headers);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return grid;
}

// Rewrites the grid's cells in place, so that a refresh every second keeps the scroll
// position and the selection.
void SetRows(QTableWidget* grid, const std::vector<QStringList>& rows)
{
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QString text = c < rows[r].size() ? rows[r][c] : QString();
            QTableWidgetItem* item = grid->item(r, c);
            if (!item)
                grid->setItem(r, c, new QTableWidgetItem(text));
            else if (item->text() != text)
                item->setText(text);
        }
}

} // namespace

UpcomingForm::UpcomingForm(FeatureContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx)
{
    setObjectName(QStringLiteral("UpcomingForm"));
    setWindowTitle(QStringLiteral("近期任务"));
    setWindowIcon(Artwork::AppIcon());
    resize(680, 440);

    auto* layout = new QVBoxLayout(this);
    UpcomingTabs = new QTabWidget(this);
    UpcomingTabs->setObjectName(QStringLiteral("UpcomingTabs"));
    layout->addWidget(UpcomingTabs);

    auto* upcoming = new QWidget(UpcomingTabs);
    auto* column = new QVBoxLayout(upcoming);
    column->addWidget(new QLabel(QStringLiteral("今后七天内将要执行的任务："), upcoming));
    UpcomingGrid = NewGrid(upcoming, QStringLiteral("UpcomingGrid"),
                           {QStringLiteral("日期"), QStringLiteral("时间"), QStringLiteral("功能"),
                            QStringLiteral("内容"), QStringLiteral("提示")});
    column->addWidget(UpcomingGrid, 3);
    column->addWidget(new QLabel(QStringLiteral("等待条件的任务："), upcoming));
    WaitingGrid = NewGrid(upcoming, QStringLiteral("WaitingGrid"),
                          {QStringLiteral("功能"), QStringLiteral("条件")});
    column->addWidget(WaitingGrid, 1);
    UpcomingTabs->addTab(upcoming, QStringLiteral("近期任务"));

    ActionLogGrid = NewGrid(UpcomingTabs, QStringLiteral("ActionLogGrid"),
                            {QStringLiteral("日期"), QStringLiteral("时间"), QStringLiteral("功能"),
                             QStringLiteral("内容"), QStringLiteral("结果")});
    UpcomingTabs->addTab(ActionLogGrid, QStringLiteral("操作记录"));

    RefreshTimer = new QTimer(this);
    RefreshTimer->setObjectName(QStringLiteral("RefreshTimer"));
    RefreshTimer->setInterval(1000);
    connect(RefreshTimer, &QTimer::timeout, this, [this] { ctx_.Guard([this] { Refresh(); }); });
    connect(UpcomingTabs, &QTabWidget::currentChanged, this,
            [this] { ctx_.Guard([this] { Refresh(); }); });
}

std::vector<QString> UpcomingForm::ClashMarks(const std::vector<Occurrence>& timed)
{
    const auto endsBefore = [&](std::size_t stop, std::size_t item) {
        return EndsSession(timed[stop].powerMode) &&
               SecondOf(timed[stop].when) <= SecondOf(timed[item].when);
    };
    std::vector<QString> marks(timed.size());
    for (std::size_t i = 0; i < timed.size(); ++i) {
        const Occurrence& item = timed[i];
        if (!NeedsSession(item.feature))
            continue;
        // The nearest action at or before it. In the same second the power rules run first,
        // whatever order the list gives the two.
        std::optional<std::size_t> stop;
        for (std::size_t j = i + 1;
             !stop && j < timed.size() && SecondOf(timed[j].when) == SecondOf(item.when); ++j)
            if (endsBefore(j, i))
                stop = j;
        for (std::size_t j = i; !stop && j-- > 0;)
            if (endsBefore(j, i))
                stop = j;
        if (!stop)
            continue;
        const Occurrence& s = timed[*stop];
        // An action of an earlier day says when it comes, so that it can be found.
        const QString action = s.when.date == item.when.date
                                   ? PowerModeName(*s.powerMode)
                                   : QStringLiteral("%1（%2）")
                                         .arg(PowerModeName(*s.powerMode),
                                              s.when.date.toString(QStringLiteral("MM/dd")) + u' ' +
                                                  s.when.time.toString(QStringLiteral("hh:mm")));
        marks[i] = QStringLiteral("%1将早于 %2 的%3")
                       .arg(action, item.when.time.toString(QStringLiteral("hh:mm")), item.feature);
    }
    return marks;
}

void UpcomingForm::Refresh()
{
    if (UpcomingTabs->currentIndex() == 0)
        RefreshUpcoming();
    else
        RefreshActionLog();
}

void UpcomingForm::RefreshUpcoming()
{
    const LocalMoment now = ctx_.Now();
    const UpcomingList list = ctx_.Upcoming(now, Occurrences::After(now, kDays * 86400));
    const std::vector<QString> marks = ClashMarks(list.timed);
    std::vector<QStringList> rows;
    rows.reserve(list.timed.size());
    for (std::size_t i = 0; i < list.timed.size(); ++i) {
        const Occurrence& item = list.timed[i];
        rows.push_back({DateText(item.when.date), TimeText(item.when.time), item.feature, item.what,
                        marks[i]});
    }
    SetRows(UpcomingGrid, rows);
    for (int r = 0; r < UpcomingGrid->rowCount(); ++r)
        UpcomingGrid->item(r, 4)->setForeground(Qt::red);

    rows.clear();
    for (const Waiting& rule : list.waiting)
        rows.push_back({rule.feature, rule.condition});
    SetRows(WaitingGrid, rows);
}

void UpcomingForm::RefreshActionLog()
{
    ActionLog* record = ctx_.Actions();
    if (!record)
        return;
    const QFileInfo file(record->Path());
    if (file.size() == recordSize_ && file.lastModified() == recordStamp_)
        return;
    recordSize_ = file.size();
    recordStamp_ = file.lastModified();
    const std::vector<QStringList> lines = record->NewestFirst(kRecordLines);
    SetRows(ActionLogGrid, lines);
}

void UpcomingForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    recordSize_ = -1;
    ctx_.Guard([this] { Refresh(); });
    RefreshTimer->start();
}

void UpcomingForm::hideEvent(QHideEvent* event)
{
    RefreshTimer->stop();
    QWidget::hideEvent(event);
}
