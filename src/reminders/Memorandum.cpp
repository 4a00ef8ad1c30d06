#include "reminders/Memorandum.h"

#include "app/Main.h"
#include "reminders/AlarmClocks.h"
#include "reminders/MemorandumForm.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>

namespace {

constexpr int kColumns = 3;
constexpr int kStartRows = 4;

QString WriteFailed(const QString& path)
{
    return QStringLiteral("无法写入备忘录文件“%1”，").arg(QDir::toNativeSeparators(path));
}

QString ReadFailed(const QString& path)
{
    return QStringLiteral("无法读取备忘录文件“%1”，").arg(QDir::toNativeSeparators(path));
}

bool IsWordBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

// Up to three words of one stored line; an absent word is empty.
QStringList Words(QStringView line)
{
    QStringList words;
    qsizetype i = 0;
    while (words.size() < kColumns) {
        while (i < line.size() && IsWordBreak(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const qsizetype start = i;
        while (i < line.size() && !IsWordBreak(line[i]))
            ++i;
        words << line.mid(start, i - start).toString();
    }
    return words;
}

qint64 SecondOf(const LocalMoment& m)
{
    return m.date.toJulianDay() * 86400 + m.time.msecsSinceStartOfDay() / 1000;
}

bool SameSecond(const QTime& a, const QTime& b)
{
    return a.hour() == b.hour() && a.minute() == b.minute() && a.second() == b.second();
}

} // namespace

Memorandum::Memorandum(TMainForm& form, AlarmClocks& alarms) : form_(form), alarms_(alarms)
{
    BuildGroup();
    MemorandumForm = new TMemorandumForm(form_, *this);
    IndexRows();
    form_.Tick().SetCheck(TickCheck::CheckMemoranda, [this] { CheckMemoranda(); });
}

Memorandum::~Memorandum() = default;

void Memorandum::BuildGroup()
{
    QWidget* page = form_.Alarm;
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

    TMainForm::PageLayout(page)->addWidget(group, 1);

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
    return form_.ProgramDir + QStringLiteral("Memorandum.txt");
}

QByteArray Memorandum::Encode(const QString& text) const
{
    const std::string bytes = form_.Os().ansi->fromUtf16(text.toStdU16String());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Memorandum::Decode(const QByteArray& bytes) const
{
    return QString::fromStdU16String(
        form_.Os().ansi->toUtf16(std::string(bytes.constData(), bytes.size())));
}

QStringList Memorandum::Row(int row) const
{
    QStringList cells;
    for (int c = 0; c < kColumns; ++c) {
        const QTableWidgetItem* item = MemorandumStringGrid->item(row, c);
        cells << (item ? item->text() : QString());
    }
    return cells;
}

void Memorandum::SetRow(int row, const QStringList& cells)
{
    for (int c = 0; c < kColumns; ++c) {
        const QString text = c < cells.size() ? cells[c] : QString();
        if (QTableWidgetItem* item = MemorandumStringGrid->item(row, c))
            item->setText(text);
        else
            MemorandumStringGrid->setItem(row, c, new QTableWidgetItem(text));
    }
}

void Memorandum::IndexRows()
{
    const int rows = MemorandumStringGrid->rowCount();
    notes_.assign(static_cast<size_t>(rows), Note{});
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = Row(r);
        notes_[static_cast<size_t>(r)] = {ParseDate(cells[0]), ParseTime(cells[1])};
    }
}

void Memorandum::LoadMemoranda()
{
    QFile file(StorePath());
    if (!file.exists()) {
        storeUnreadable_ = false;
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        storeUnreadable_ = true;
        form_.Ui().ShowMessage(ReadFailed(StorePath()) + QStringLiteral("备忘录未能载入"));
        return;
    }
    storeUnreadable_ = false;
    // Lines are read whole, however long a hand-edited one is.
    const QString text = Decode(file.readAll());
    std::vector<QStringList> records;
    for (QStringView line : QStringView(text).split(u'\n')) {
        QStringList words = Words(line);
        if (!words.isEmpty())
            records.push_back(std::move(words));
    }
    if (records.empty())
        return;
    MemorandumStringGrid->setRowCount(static_cast<int>(records.size()));
    for (size_t r = 0; r < records.size(); ++r)
        SetRow(static_cast<int>(r), records[r]);
    IndexRows();
}

bool Memorandum::WriteStore(const QByteArray& bytes) const
{
    QSaveFile file(StorePath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool Memorandum::AppendMemorandum(const QString& date, const QString& time, const QString& content)
{
    // The whole store is written anew through a temporary file, so a failed write leaves
    // the old notes as they were.
    QFile current(StorePath());
    QByteArray bytes;
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            form_.Ui().ShowMessage(ReadFailed(StorePath()) + QStringLiteral("备忘录没有添加"));
            return false;
        }
        bytes = current.readAll();
        current.close();
        // A hand-edited last line without its line end must not swallow the new note.
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += "\r\n";
    }
    bytes += Encode(date + u' ' + time + u' ' + content) + "\r\n";
    if (!WriteStore(bytes)) {
        form_.Ui().ShowMessage(WriteFailed(StorePath()) + QStringLiteral("备忘录没有添加"));
        return false;
    }
    pastRemovalFailed_ = false;
    LoadMemoranda();
    return true;
}

bool Memorandum::RemoveRow(int row)
{
    const int rows = MemorandumStringGrid->rowCount();
    if (row < 0 || row >= rows || storeUnreadable_)
        return false;
    QByteArray bytes;
    for (int r = 0; r < rows; ++r) {
        if (r == row)
            continue;
        bytes += Encode(Row(r).join(u' ')) + "\r\n";
    }
    // The only row goes as an empty line, which loading skips.
    if (rows == 1)
        bytes = "  \r\n";
    if (!WriteStore(bytes))
        return false;
    if (rows > 1)
        MemorandumStringGrid->removeRow(row);
    else
        SetRow(0, {});
    IndexRows();
    return true;
}

bool Memorandum::DeleteMemorandum(int row)
{
    if (row < 0 || row >= MemorandumStringGrid->rowCount())
        return false;
    if (RemoveRow(row))
        return true;
    form_.Ui().ShowMessage((storeUnreadable_ ? ReadFailed(StorePath()) : WriteFailed(StorePath())) +
                           QStringLiteral("备忘录没有删除"));
    return false;
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
    const LocalMoment now = form_.Now();
    const QDate today = now.date;
    const QDate tomorrow = today.addDays(1);
    const qint64 second = SecondOf(now);
    if (second != rungSecond_) {
        rungSecond_ = second;
        rungNotes_.clear();
    }
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
                form_.ShowTrayBalloon(QStringLiteral("明天您有重要的事情:\n时间: ") + cells[1] +
                                      QStringLiteral("\n内容：") + cells[2]);
                TomorrowNoticeArmed = false;
            }
        } else if (*note.date == today && SameSecond(*note.time, now.time)) {
            const QStringList cells = Row(r);
            if (std::find(rungNotes_.begin(), rungNotes_.end(), cells) == rungNotes_.end()) {
                rungNotes_.push_back(cells);
                TomorrowNoticeArmed = true;
                const LocalMoment at = form_.Now();
                alarms_.RingAlarm(QStringLiteral("您今天有重要的事情：") + DateText(at.date) +
                                  u' ' + TimeText(at.time) + u'\n' + cells[2]);
                // Rows may have moved while the box was open: go on after this note
                // wherever it is now, or with the row that took its place.
                const int found = FindRow(cells, r);
                r = found >= 0 ? found + 1 : r;
                continue;
            }
        } else if (*note.date < today && !pastRemovalFailed_) {
            // The row that moves up is looked at in this same pass, so a note due now
            // right after a past one is not skipped.
            if (RemoveRow(r))
                continue;
            pastRemovalFailed_ = true;
            form_.Ui().ShowMessage(
                (storeUnreadable_ ? ReadFailed(StorePath()) : WriteFailed(StorePath())) +
                QStringLiteral("过期的备忘录没有删除"));
        }
        ++r;
    }
}

void Memorandum::DeleteClick()
{
    form_.Guard([this] {
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
