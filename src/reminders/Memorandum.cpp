#include "reminders/Memorandum.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"
#include "reminders/AlarmClocks.h"
#include "reminders/MemorandumForm.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kColumns = 3;
constexpr int kStartRows = 4;

bool IsWordBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

} // namespace

Memorandum::Memorandum(FeatureContext& ctx, AlarmClocks& alarms)
    : ctx_(ctx), alarms_(alarms),
      store_(*ctx.Os().ansi, ctx.Ui(), ctx.DataDir() + QStringLiteral("Memorandum.txt"),
             QStringLiteral("备忘录文件"), {kColumns, ListFile::Rest::Drop, "\r\n"})
{
    BuildGroup();
    MemorandumForm = new TMemorandumForm(ctx_, *this);
    IndexRows();
    ctx_.OnTick(TickCheck::CheckMemoranda, [this] { CheckMemoranda(); });
    ctx_.OnLoad(LoadStep::Memoranda, [this] { LoadMemoranda(); });
    schedule_ = ctx_.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }});
    // Tidying that is due already (a list loaded with past notes) is done in the next second.
    ctx_.OnWatch([this] { return !day_.day.isValid() || TidyingDue(); });
}

Memorandum::~Memorandum() = default;

void Memorandum::BuildGroup()
{
    QWidget* page = ctx_.Page(PageId::Alarm);
    auto* group = new QGroupBox(QStringLiteral("备忘录功能"), page);
    group->setObjectName(QStringLiteral("MemorandumGroupBox"));
    auto* layout = new QVBoxLayout(group);

    MemorandumStringGrid = new QTableWidget(kStartRows, kColumns, group);
    MemorandumStringGrid->setObjectName(QStringLiteral("MemorandumStringGrid"));
    MemorandumStringGrid->horizontalHeader()->hide();
    MemorandumStringGrid->verticalHeader()->hide();
    MemorandumStringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    MemorandumStringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    MemorandumStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MemorandumStringGrid->setWordWrap(false);
    MemorandumStringGrid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Date and time columns wide enough for their text in the font in use.
    const QFontMetrics fm = MemorandumStringGrid->fontMetrics();
    const int date = std::max(65, fm.horizontalAdvance(QStringLiteral("0000/00/00")) + 14);
    const int time = std::max(65, fm.horizontalAdvance(QStringLiteral("00:00:00")) + 14);
    MemorandumStringGrid->setColumnWidth(0, date);
    MemorandumStringGrid->setColumnWidth(1, time);
    MemorandumStringGrid->setColumnWidth(2, 468);
    MemorandumStringGrid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(MemorandumStringGrid);

    MemorandumPopupMenu = new QMenu(MemorandumStringGrid);
    MemorandumPopupMenu->setObjectName(QStringLiteral("MemorandumPopupMenu"));
    Delete = MemorandumPopupMenu->addAction(QStringLiteral("删除"));
    Delete->setObjectName(QStringLiteral("Delete"));
    MemorandumStringGrid->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddMemorandumButton = new QPushButton(QStringLiteral("添加备忘录内容"), group);
    AddMemorandumButton->setObjectName(QStringLiteral("AddMemorandumButton"));
    buttons->addWidget(AddMemorandumButton);
    layout->addLayout(buttons);

    ctx_.AddToPage(PageId::Alarm, group, 1);

    QObject::connect(MemorandumStringGrid, &QTableWidget::customContextMenuRequested, group,
                     [this](const QPoint& at) {
                         MemorandumPopupMenu->popup(
                             MemorandumStringGrid->viewport()->mapToGlobal(at));
                     });
    QObject::connect(Delete, &QAction::triggered, group, [this] { DeleteClick(); });
    QObject::connect(MemorandumStringGrid, &QTableWidget::cellPressed, group,
                     [this] { MemorandumStringGridMouseDown(); });
    QObject::connect(AddMemorandumButton, &QPushButton::clicked, group,
                     [this] { AddMemorandumButtonClick(); });
}

QString Memorandum::CutContent(const QString& text)
{
    if (text.size() <= kMaxContent)
        return text;
    qsizetype n = kMaxContent;
    if (text[n - 1].isHighSurrogate())
        --n;
    return text.left(n);
}

bool Memorandum::HasBreakingSpace(const QString& text)
{
    return std::any_of(text.begin(), text.end(), IsWordBreak);
}

QString Memorandum::StorePath() const
{
    return store_.Path();
}

QStringList Memorandum::Row(int row) const
{
    return GridRow(MemorandumStringGrid, row);
}

void Memorandum::IndexRows()
{
    const int rows = MemorandumStringGrid->rowCount();
    notes_.assign(static_cast<size_t>(rows), Note{});
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = Row(r);
        notes_[static_cast<size_t>(r)] = {ParseDate(cells[0]), ParseTime(cells[1]), cells};
    }
    ringSeconds_.clear();
    noteDays_.clear();
    for (std::size_t r = 0; r < notes_.size(); ++r)
        if (const Note& note = notes_[r]; note.date && note.time) {
            ringSeconds_.emplace_back(SecondOf({*note.date, *note.time}), r);
            noteDays_.push_back(note.date->toJulianDay());
        }
    std::sort(ringSeconds_.begin(), ringSeconds_.end());
    std::sort(noteDays_.begin(), noteDays_.end());
    noteDays_.erase(std::unique(noteDays_.begin(), noteDays_.end()), noteDays_.end());
    day_.day = QDate(); // the next tick works the day out again
    ctx_.Replan();
}

void Memorandum::IndexDay(const QDate& day)
{
    day_.day = day;
    day_.past = false;
    day_.tomorrow = false;
    const QDate tomorrow = day.addDays(1);
    for (const Note& note : notes_) {
        if (!note.date || !note.time)
            continue;
        if (*note.date < day)
            day_.past = true;
        else if (*note.date == tomorrow)
            day_.tomorrow = true;
    }
}

bool Memorandum::TidyingDue() const
{
    return (day_.past && !pastRemovalFailed_) || (day_.tomorrow && TomorrowNoticeArmed);
}

std::optional<Occurrence> Memorandum::NextDue(const LocalMoment& after) const
{
    const qint64 from = SecondOf(after);
    std::optional<qint64> ring;
    QStringList what; // the distinct notes of that second; equal rows ring once
    for (auto it = std::lower_bound(ringSeconds_.begin(), ringSeconds_.end(),
                                    std::pair<qint64, std::size_t>(from, 0));
         it != ringSeconds_.end() && (!ring || it->first == *ring); ++it) {
        ring = it->first;
        if (const QString& content = notes_[it->second].cells[2]; !what.contains(content))
            what << content;
    }
    // A note is removed the day after its own and announced the day before, at midnight.
    std::optional<qint64> tidy;
    const qint64 firstDay = (from + 86399) / 86400; // the first midnight not before `from`
    const auto tidyAt = [&](qint64 shift) {
        const auto it = std::lower_bound(noteDays_.begin(), noteDays_.end(), firstDay - shift);
        if (it != noteDays_.end() && (!tidy || (*it + shift) * 86400 < *tidy))
            tidy = (*it + shift) * 86400;
    };
    if (!pastRemovalFailed_)
        tidyAt(1);
    if (TomorrowNoticeArmed)
        tidyAt(-1);
    if (ring && (!tidy || *ring <= *tidy))
        return Occurrence{Occurrences::MomentAt(*ring), QStringLiteral("备忘录"),
                          what.join(QStringLiteral("；"))};
    if (tidy)
        return Occurrence{Occurrences::MomentAt(*tidy), QStringLiteral("备忘录"),
                          QStringLiteral("整理备忘录"), std::nullopt, false};
    return std::nullopt;
}

void Memorandum::LoadMemoranda()
{
    const std::optional<ListFile::Records> records = store_.Read(QStringLiteral("备忘录未能载入"));
    if (!records || records->empty())
        return;
    ShowRecords(MemorandumStringGrid, *records);
    IndexRows();
}

bool Memorandum::AppendMemorandum(const QString& date, const QString& time, const QString& content)
{
    if (!store_.Append({date, time, content}, QStringLiteral("备忘录没有添加")))
        return false;
    pastRemovalFailed_ = false;
    LoadMemoranda();
    return true;
}

bool Memorandum::RemoveRow(int row, const QString& notDone)
{
    const int rows = MemorandumStringGrid->rowCount();
    if (row < 0 || row >= rows)
        return false;
    ListFile::Records records = GridRecords(MemorandumStringGrid);
    records.erase(records.begin() + row);
    if (!store_.Rewrite(records, notDone))
        return false;
    if (rows > 1)
        MemorandumStringGrid->removeRow(row);
    else
        SetGridRow(MemorandumStringGrid, 0, {});
    IndexRows();
    return true;
}

bool Memorandum::DeleteMemorandum(int row)
{
    if (row < 0 || row >= MemorandumStringGrid->rowCount())
        return false;
    return RemoveRow(row, QStringLiteral("备忘录没有删除"));
}

int Memorandum::FindRow(const QStringList& cells, int near) const
{
    int best = -1;
    for (int r = 0; r < MemorandumStringGrid->rowCount(); ++r)
        if (Row(r) == cells && (best < 0 || std::abs(r - near) < std::abs(best - near)))
            best = r;
    return best;
}

void Memorandum::CheckMemoranda()
{
    const LocalMoment now = ctx_.Now();
    const bool due = ctx_.Due(schedule_, now);
    // A new day, the clock set to another one, or a changed list.
    if (now.date != day_.day)
        IndexDay(now.date);
    if (!due && !TidyingDue())
        return;
    if (rungThisSecond_.First(now))
        rungNotes_.clear();
    WalkRows(now);
}

void Memorandum::WalkRows(const LocalMoment& now)
{
    const QDate today = now.date;
    const QDate tomorrow = today.addDays(1);
    // Boxes opened here keep the tick running, and those ticks may delete rows: the row
    // count and the row's values are read afresh on every step.
    int r = 0;
    while (r < MemorandumStringGrid->rowCount() && r < static_cast<int>(notes_.size())) {
        const Note note = notes_[static_cast<size_t>(r)];
        // A row whose date or time cannot be read is never rung and never removed.
        if (!note.date || !note.time) {
            ++r;
            continue;
        }
        if (*note.date == tomorrow) {
            if (TomorrowNoticeArmed) {
                const QStringList cells = Row(r);
                ctx_.ShowTrayBalloon(QStringLiteral("明天您有重要的事情:\n时间: ") + cells[1] +
                                     QStringLiteral("\n内容：") + cells[2]);
                TomorrowNoticeArmed = false;
                ctx_.Replan();
            }
        } else if (*note.date == today && SameSecond(*note.time, now.time)) {
            const QStringList cells = Row(r);
            if (std::find(rungNotes_.begin(), rungNotes_.end(), cells) == rungNotes_.end()) {
                rungNotes_.push_back(cells);
                if (!TomorrowNoticeArmed) {
                    TomorrowNoticeArmed = true;
                    ctx_.Replan();
                }
                const LocalMoment at = ctx_.Now();
                alarms_.RingAlarm(QStringLiteral("您今天有重要的事情：") + DateText(at.date) +
                                      u' ' + TimeText(at.time) + u'\n' + cells[2],
                                  QStringLiteral("备忘录"), QStringLiteral("提醒 ") + cells[2]);
                // Rows may have moved while the box was open: go on after this note
                // wherever it is now, or with the row that took its place.
                const int found = FindRow(cells, r);
                r = found >= 0 ? found + 1 : r;
                continue;
            }
        } else if (*note.date < today && !pastRemovalFailed_) {
            // The row that moves up is looked at in this same pass, so a note due now
            // right after a past one is not skipped.
            if (RemoveRow(r, QStringLiteral("过期的备忘录没有删除")))
                continue;
            pastRemovalFailed_ = true;
            ctx_.Replan();
        }
        ++r;
    }
}

void Memorandum::DeleteClick()
{
    ctx_.Guard([this] {
        const int row = MemorandumStringGrid->currentRow();
        if (row >= 0)
            DeleteMemorandum(row);
    });
}

void Memorandum::MemorandumStringGridMouseDown()
{
    const int row = MemorandumStringGrid->currentRow();
    if (row >= 0)
        MemorandumStringGrid->setToolTip(Row(row)[2]);
}

void Memorandum::AddMemorandumButtonClick()
{
    MemorandumForm->ShowCentred();
}
