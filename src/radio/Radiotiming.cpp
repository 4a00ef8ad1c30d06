#include "radio/Radiotiming.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"
#include "core/TimeField.h"
#include "core/Weekdays.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace {

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

TRadioTimingForm::TRadioTimingForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("RadioTimingForm"));
    setWindowTitle(QStringLiteral("电台定时播放设置"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    RadioName = new QLabel(this);
    RadioName->setObjectName(QStringLiteral("RadioName"));
    RadioName->setAlignment(Qt::AlignCenter);
    RadioName->setWordWrap(true);
    RadioName->setStyleSheet(QStringLiteral("color: purple; font-size: 16px; font-weight: bold;"));
    layout->addWidget(RadioName);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    Label1 = new QLabel(QStringLiteral("选择日期:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    DateComboBox = new QComboBox(this);
    DateComboBox->setObjectName(QStringLiteral("DateComboBox"));
    DateComboBox->setEditable(true);
    DateComboBox->addItems(Radiotiming::DayNames());
    DateComboBox->setCurrentIndex(0);
    Label2 = new QLabel(QStringLiteral("选择时间:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    TimeMaskEdit = NewTimeField(this, QStringLiteral("TimeMaskEdit"), QString());
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(DateComboBox, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(TimeMaskEdit, 1, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    AddButton = new QPushButton(QStringLiteral("添加"), this);
    AddButton->setObjectName(QStringLiteral("AddButton"));
    AddButton->setDefault(true);
    ExitButton = new QPushButton(QStringLiteral("退出"), this);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    buttons->addStretch();
    buttons->addWidget(AddButton);
    buttons->addWidget(ExitButton);
    layout->addLayout(buttons);
    connect(ExitButton, &QPushButton::clicked, this, [this] { ExitButtonClick(); });
    setFixedSize(300, 190);
}

QString TRadioTimingForm::TimeText() const
{
    return TimeFieldText(TimeMaskEdit);
}

void TRadioTimingForm::ExitButtonClick()
{
    close();
}

const QStringList& Radiotiming::DayNames()
{
    static const QStringList names = QStringList{QStringLiteral("每天")} + WeekdayNames();
    return names;
}

Radiotiming::Radiotiming(FeatureContext& ctx, RadioCatalogue& stations, RadioPlayback& radio)
    : ctx_(ctx), stations_(stations), radio_(radio),
      file_(*ctx.Os().ansi, ctx.Ui(), ctx.DataDir() + QStringLiteral("RadioTiming"),
            QStringLiteral("定时文件"), {3, ListFile::Rest::IntoLast, "\r\n"})
{
    auto* group = new QGroupBox(QStringLiteral("定时播放"), ctx.Page(PageId::NetRadio));
    group->setObjectName(QStringLiteral("RadioTimingGroup"));
    auto* layout = new QVBoxLayout(group);

    auto* top = new QHBoxLayout;
    Label17 = new QLabel(QStringLiteral("定时项目:"), group);
    Label17->setObjectName(QStringLiteral("Label17"));
    top->addWidget(Label17);
    top->addStretch();
    AddToTimingButton = new QPushButton(QStringLiteral("当前电台添加到定时项目"), group);
    AddToTimingButton->setObjectName(QStringLiteral("AddToTimingButton"));
    top->addWidget(AddToTimingButton);
    layout->addLayout(top);

    RadioGrid = new QTableWidget(1, 3, group);
    RadioGrid->setObjectName(QStringLiteral("RadioGrid"));
    RadioGrid->horizontalHeader()->hide();
    RadioGrid->verticalHeader()->hide();
    RadioGrid->verticalHeader()->setDefaultSectionSize(18);
    RadioGrid->verticalHeader()->setMinimumSectionSize(18);
    RadioGrid->setColumnWidth(0, 52);
    RadioGrid->setColumnWidth(1, 70);
    RadioGrid->horizontalHeader()->setStretchLastSection(true);
    RadioGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    RadioGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    RadioGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RadioGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    RadioGrid->setAlternatingRowColors(true);
    RadioGrid->setWordWrap(false);
    RadioGrid->setCurrentCell(0, 0);
    layout->addWidget(RadioGrid, 1);
    stations.SideColumn->addWidget(group, 1);

    RadioCellPopupMenu = new QMenu(RadioGrid);
    RadioCellPopupMenu->setObjectName(QStringLiteral("RadioCellPopupMenu"));
    DeleteTiming = RadioCellPopupMenu->addAction(QStringLiteral("删除定时项目"));
    DeleteTiming->setObjectName(QStringLiteral("DeleteTiming"));

    // Hidden: only its item order matters, as the day numbers of the check.
    ContrestWeekComboBox = new QComboBox(group);
    ContrestWeekComboBox->setObjectName(QStringLiteral("ContrestWeekComboBox"));
    ContrestWeekComboBox->addItems(DayNames());
    ContrestWeekComboBox->hide();

    RadioTimingForm = std::make_unique<TRadioTimingForm>(ctx.Window());

    QObject::connect(RadioGrid, &QTableWidget::customContextMenuRequested, RadioGrid,
                     [this](const QPoint& pos) {
                         const QModelIndex index = RadioGrid->indexAt(pos);
                         if (index.isValid())
                             RadioGrid->setCurrentCell(index.row(), 0);
                         RadioCellPopupMenu->popup(RadioGrid->viewport()->mapToGlobal(pos));
                     });
    QObject::connect(DeleteTiming, &QAction::triggered, RadioGrid, [this] { DeleteTimingClick(); });
    QObject::connect(AddToTimingButton, &QPushButton::clicked, RadioGrid,
                     [this] { AddToTimingButtonClick(); });
    QObject::connect(stations.AddRadioTiming, &QAction::triggered, RadioGrid,
                     [this] { AddRadioTimingClick(); });
    QObject::connect(RadioTimingForm->AddButton, &QPushButton::clicked, RadioGrid,
                     [this] { AddButtonClick(); });

    ctx.OnTick(TickCheck::CheckRadioTimings, [this] { CheckRadioTimings(); });
    ctx.OnLoad(LoadStep::RadioTimings, [this] { LoadRadioTimings(); });
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }});
}

Radiotiming::~Radiotiming() = default;

QString Radiotiming::TimingFile() const
{
    return file_.Path();
}

void Radiotiming::AddRadioTimingClick()
{
    ctx_.Guard([this] { OpenDialog(); });
}

void Radiotiming::AddToTimingButtonClick()
{
    ctx_.Guard([this] { OpenDialog(); });
}

void Radiotiming::OpenDialog()
{
    const QString name = radio_.CurrentRadioName;
    if (!stations_.StationUrl(name)) {
        ctx_.Ui().ShowMessage(QStringLiteral("请你选择定时播放的电台"));
        return;
    }
    RadioTimingForm->RadioName->setText(name);
    const QRect frame = ctx_.Window()->frameGeometry();
    RadioTimingForm->move(frame.center() - RadioTimingForm->rect().center());
    RadioTimingForm->show();
    RadioTimingForm->raise();
    RadioTimingForm->activateWindow();
}

void Radiotiming::AddButtonClick()
{
    ctx_.Guard([this] {
        TRadioTimingForm& dialog = *RadioTimingForm;
        const QString time = dialog.TimeText();
        // Midnight is refused as "no time entered"; so is a time no clock shows, which
        // could never come due.
        const std::optional<QTime> at = ParseTime(time);
        if (!at || *at == QTime(0, 0)) {
            ctx_.Ui().ShowMessage(QStringLiteral("请输入一个正确的时间,如:08:08:08"));
            return;
        }
        const QString day = dialog.DateComboBox->currentText().simplified();
        if (day.isEmpty()) {
            ctx_.Ui().ShowMessage(QStringLiteral("请选择播放的日期"));
            return;
        }
        if (!file_.Append({day, time, dialog.RadioName->text()},
                          QStringLiteral("定时项目没有添加")))
            return;
        LoadRadioTimings();
        ctx_.Ui().ShowMessage(QStringLiteral("添加成功"));
        dialog.close();
    });
}

void Radiotiming::LoadRadioTimings()
{
    const std::optional<ListFile::Records> timings = file_.Read(QStringLiteral("定时项目未能载入"));
    if (!timings || timings->empty())
        return;
    ShowRecords(RadioGrid, *timings);
    Rearm();
}

void Radiotiming::DeleteTimingClick()
{
    ctx_.Guard([this] { DeleteRadioTiming(RadioGrid->currentRow()); });
}

void Radiotiming::DeleteRadioTiming(int row)
{
    if (row < 0 || row >= RadioGrid->rowCount())
        return;
    // The file is written first: when it cannot be, grid and file still agree.
    ListFile::Records records = GridRecords(RadioGrid);
    records.erase(records.begin() + row);
    if (!file_.Rewrite(records, QStringLiteral("定时项目没有删除")))
        return;
    if (RadioGrid->rowCount() > 1)
        RadioGrid->removeRow(row);
    else
        SetGridRow(RadioGrid, 0, {});
    Rearm();
}

void Radiotiming::Rearm()
{
    armed_.clear();
    for (auto& day : byWeekday_)
        day.clear();
    const auto replan = qScopeGuard([this] { ctx_.Replan(); });
    // The one emptied row of a cleared list is no timing; neither is any row after it.
    if (CellText(RadioGrid, 0, 0).isEmpty())
        return;
    const int rows = RadioGrid->rowCount();
    for (int r = 0; r < rows; ++r) {
        Armed armed;
        armed.day = static_cast<int>(
            ContrestWeekComboBox->findText(CellText(RadioGrid, r, 0), Qt::MatchExactly));
        armed.time = ParseTime(CellText(RadioGrid, r, 1));
        armed.station = CellText(RadioGrid, r, 2);
        armed_.push_back(armed);
    }
    for (int weekday = 0; weekday < 7; ++weekday) {
        auto& day = byWeekday_[std::size_t(weekday)];
        for (std::size_t r = 0; r < armed_.size(); ++r)
            if (armed_[r].time && (armed_[r].day == 0 || armed_[r].day == weekday + 1))
                day.emplace_back(armed_[r].time->msecsSinceStartOfDay() / 1000, r);
        std::sort(day.begin(), day.end());
    }
}

namespace {

bool OnDay(int day, const QDate& date)
{
    return day == 0 || day == WeekdayOf(date) + 1;
}

} // namespace

std::optional<Occurrence> Radiotiming::NextDue(const LocalMoment& after) const
{
    // A week holds every day a timing can name.
    for (int offset = 0; offset <= 7; ++offset) {
        const QDate date = after.date.addDays(offset);
        const auto& day = byWeekday_[std::size_t(WeekdayOf(date))];
        const int from = offset == 0 ? after.time.msecsSinceStartOfDay() / 1000 : 0;
        auto it = std::lower_bound(day.begin(), day.end(), std::pair<int, std::size_t>(from, 0));
        if (it == day.end())
            continue;
        // Timings of one second start one after the other, in the list's order.
        QStringList stations;
        for (const int second = it->first; it != day.end() && it->first == second; ++it)
            if (!stations.contains(armed_[it->second].station))
                stations << armed_[it->second].station;
        return Occurrence{{date, *armed_[std::prev(it)->second].time},
                          QStringLiteral("定时收音"),
                          stations.join(QStringLiteral("、"))};
    }
    return std::nullopt;
}

void Radiotiming::CheckRadioTimings()
{
    if (armed_.empty())
        return;
    const LocalMoment now = ctx_.Now();
    if (!ctx_.Due(schedule_, now))
        return;
    std::vector<int> rows;
    for (std::size_t r = 0; r < armed_.size(); ++r)
        if (armed_[r].time && OnDay(armed_[r].day, now.date) &&
            SameSecond(*armed_[r].time, now.time))
            rows.push_back(int(r));
    // Starting a station shows no box, but nothing here may outlive a change of the list.
    for (const int r : rows) {
        if (r >= static_cast<int>(armed_.size()))
            break;
        RadioPlayback& radio = radio_;
        const bool known = radio.StartTimed(armed_[std::size_t(r)].station);
        ctx_.Log(QStringLiteral("定时收音"), QStringLiteral("播放 ") + radio.CurrentRadioName,
                 !known               ? QStringLiteral("失败: 电台列表中没有此电台")
                 : radio.RadioPlaying ? QStringLiteral("已开始")
                                      : QStringLiteral("闹铃答复后开始"));
    }
}
