#include "radio/Radiotiming.h"

#include "app/Main.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTableWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

struct TimingLine {
    QString day, time, station;
};

// Day and time are the first two words; the station is the rest of the line, so that
// station names with spaces survive a reload.
std::optional<TimingLine> ParseTimingLine(const QString& line)
{
    static const QRegularExpression fields(QStringLiteral("^(\\S+)(?:\\s+(\\S+)(?:\\s+(.*))?)?$"));
    const QRegularExpressionMatch m = fields.match(line.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    return TimingLine{m.captured(1), m.captured(2), m.captured(3).trimmed()};
}

QByteArray Gbk(const QString& text)
{
    QStringEncoder encode("GBK");
    return encode(text);
}

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(text);
    grid->setItem(row, column, item);
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
    TimeMaskEdit = new QLineEdit(this);
    TimeMaskEdit->setObjectName(QStringLiteral("TimeMaskEdit"));
    // The first hour digit may stay blank (7:05:00); the others are required digits.
    TimeMaskEdit->setInputMask(QStringLiteral("09:99:99;_"));
    TimeMaskEdit->setMaxLength(8);
    TimeMaskEdit->setText(QStringLiteral("00:00:00"));
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
    QString text = TimeMaskEdit->text();
    return text.remove(u'_').remove(u' ');
}

void TRadioTimingForm::ExitButtonClick()
{
    close();
}

const QStringList& Radiotiming::DayNames()
{
    static const QStringList names = {"每天",   "星期日", "星期一", "星期二",
                                      "星期三", "星期四", "星期五", "星期六"};
    return names;
}

Radiotiming::Radiotiming(TMainForm& form) : form_(form)
{
    auto* group = new QGroupBox(QStringLiteral("定时播放"), form.NetRadio);
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
    form.RadioStations->SideColumn->addWidget(group, 1);

    RadioCellPopupMenu = new QMenu(RadioGrid);
    RadioCellPopupMenu->setObjectName(QStringLiteral("RadioCellPopupMenu"));
    DeleteTiming = RadioCellPopupMenu->addAction(QStringLiteral("删除定时项目"));
    DeleteTiming->setObjectName(QStringLiteral("DeleteTiming"));

    // Hidden: only its item order matters, as the day numbers of the check.
    ContrestWeekComboBox = new QComboBox(group);
    ContrestWeekComboBox->setObjectName(QStringLiteral("ContrestWeekComboBox"));
    ContrestWeekComboBox->addItems(DayNames());
    ContrestWeekComboBox->hide();

    RadioTimingForm = std::make_unique<TRadioTimingForm>(&form);

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
    QObject::connect(form.RadioStations->AddRadioTiming, &QAction::triggered, RadioGrid,
                     [this] { AddRadioTimingClick(); });
    QObject::connect(RadioTimingForm->AddButton, &QPushButton::clicked, RadioGrid,
                     [this] { AddButtonClick(); });

    form.Tick().SetCheck(TickCheck::CheckRadioTimings, [this] { CheckRadioTimings(); });
}

Radiotiming::~Radiotiming() = default;

QString Radiotiming::TimingFile() const
{
    return form_.ProgramDir + QStringLiteral("RadioTiming");
}

void Radiotiming::AddRadioTimingClick()
{
    form_.Guard([this] { OpenDialog(); });
}

void Radiotiming::AddToTimingButtonClick()
{
    form_.Guard([this] { OpenDialog(); });
}

void Radiotiming::OpenDialog()
{
    const QString name = form_.Radio->CurrentRadioName;
    if (!form_.RadioStations->StationUrl(name)) {
        form_.Ui().ShowMessage(QStringLiteral("请你选择定时播放的电台"));
        return;
    }
    RadioTimingForm->RadioName->setText(name);
    const QRect frame = form_.frameGeometry();
    RadioTimingForm->move(frame.center() - RadioTimingForm->rect().center());
    RadioTimingForm->show();
    RadioTimingForm->raise();
    RadioTimingForm->activateWindow();
}

void Radiotiming::AddButtonClick()
{
    form_.Guard([this] {
        TRadioTimingForm& dialog = *RadioTimingForm;
        const QString time = dialog.TimeText();
        // Midnight is refused as "no time entered"; so is a time no clock shows, which
        // could never come due.
        if (time == QStringLiteral("00:00:00") || !ParseTime(time)) {
            form_.Ui().ShowMessage(QStringLiteral("请输入一个正确的时间,如:08:08:08"));
            return;
        }
        const QString day = dialog.DateComboBox->currentText().simplified();
        if (day.isEmpty()) {
            form_.Ui().ShowMessage(QStringLiteral("请选择播放的日期"));
            return;
        }
        QByteArray bytes;
        QFile existing(TimingFile());
        if (existing.open(QIODevice::ReadOnly))
            bytes = existing.readAll();
        existing.close();
        // A hand-edited file may lack its last line end; the new line must not join it.
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += "\r\n";
        bytes += Gbk(day + u' ' + time + u' ' + dialog.RadioName->text() + QStringLiteral("\r\n"));
        WriteTimingFile(bytes);
        LoadRadioTimings();
        form_.Ui().ShowMessage(QStringLiteral("添加成功"));
        dialog.close();
    });
}

void Radiotiming::WriteTimingFile(const QByteArray& bytes)
{
    QSaveFile file(TimingFile());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(
            QStringLiteral("无法写入定时文件 %1").arg(TimingFile()).toStdString());
}

void Radiotiming::LoadRadioTimings()
{
    QFile file(TimingFile());
    if (!file.open(QIODevice::ReadOnly))
        return;
    QStringDecoder decode("GBK");
    const QString text = decode(file.readAll());
    int rows = 0;
    QList<TimingLine> timings;
    for (const QString& line : text.split(u'\n')) {
        if (std::optional<TimingLine> timing = ParseTimingLine(line))
            timings << *timing;
    }
    if (timings.isEmpty())
        return;
    RadioGrid->setRowCount(static_cast<int>(timings.size()));
    for (const TimingLine& timing : timings) {
        SetCell(RadioGrid, rows, 0, timing.day);
        SetCell(RadioGrid, rows, 1, timing.time);
        SetCell(RadioGrid, rows, 2, timing.station);
        ++rows;
    }
    Rearm();
}

void Radiotiming::DeleteTimingClick()
{
    form_.Guard([this] { DeleteRadioTiming(RadioGrid->currentRow()); });
}

QByteArray Radiotiming::FileBytesWithout(int row) const
{
    QString text;
    const int rows = RadioGrid->rowCount();
    for (int r = 0; r < rows; ++r)
        if (r != row)
            text += CellText(RadioGrid, r, 0) + u' ' + CellText(RadioGrid, r, 1) + u' ' +
                    CellText(RadioGrid, r, 2) + QStringLiteral("\r\n");
    // The last row is emptied rather than removed: it is written as a blank line.
    if (rows <= 1)
        text = QStringLiteral("  \r\n");
    return Gbk(text);
}

void Radiotiming::DeleteRadioTiming(int row)
{
    if (row < 0 || row >= RadioGrid->rowCount())
        return;
    // The file is written first: when it cannot be, grid and file still agree.
    WriteTimingFile(FileBytesWithout(row));
    if (RadioGrid->rowCount() > 1) {
        RadioGrid->removeRow(row);
    } else {
        for (int c = 0; c < RadioGrid->columnCount(); ++c)
            SetCell(RadioGrid, 0, c, QString());
    }
    Rearm();
}

void Radiotiming::Rearm()
{
    armed_.clear();
    const int rows = RadioGrid->rowCount();
    for (int r = 0; r < rows; ++r) {
        Armed armed;
        armed.day = static_cast<int>(
            ContrestWeekComboBox->findText(CellText(RadioGrid, r, 0), Qt::MatchExactly));
        armed.time = ParseTime(CellText(RadioGrid, r, 1));
        armed_.push_back(armed);
    }
}

void Radiotiming::CheckRadioTimings()
{
    if (armed_.empty() || CellText(RadioGrid, 0, 0).isEmpty())
        return;
    const LocalMoment now = form_.Now();
    const int today = WeekdayOf(now.date) + 1;
    // Starting a station shows no box, but the row count is read again on each step all
    // the same: nothing here may outlive a change of the grid.
    for (std::size_t r = 0; r < armed_.size(); ++r) {
        const Armed& armed = armed_[r];
        if (armed.day != 0 && armed.day != today)
            continue;
        if (!armed.time || armed.time->hour() != now.time.hour() ||
            armed.time->minute() != now.time.minute() || armed.time->second() != now.time.second())
            continue;
        RadioPlayback& radio = *form_.Radio;
        radio.CurrentRadioName = CellText(RadioGrid, static_cast<int>(r), 2);
        radio.RadioPlaying = false;
        radio.PlayOrStop();
    }
}
