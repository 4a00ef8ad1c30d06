#include "core/ListFile.h"

#include "platform/AnsiCodePage.h"
#include "ui/UiServices.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTableWidget>

namespace {

bool IsWordBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

struct Word {
    qsizetype start, end;
};

std::vector<Word> Words(QStringView line)
{
    std::vector<Word> words;
    qsizetype i = 0;
    while (true) {
        while (i < line.size() && IsWordBreak(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const qsizetype start = i;
        while (i < line.size() && !IsWordBreak(line[i]))
            ++i;
        words.push_back({start, i});
    }
    return words;
}

QString Text(QStringView line, const Word& w)
{
    return line.mid(w.start, w.end - w.start).toString();
}

} // namespace

ListFile::ListFile(platform::AnsiCodePage& ansi, UiServices& ui, QString path, QString what,
                   Layout layout)
    : ansi_(ansi), ui_(ui), path_(std::move(path)), what_(std::move(what)), layout_(layout)
{
}

QString ListFile::ReadFailedText() const
{
    return QStringLiteral("无法读取%1“%2”，").arg(what_, QDir::toNativeSeparators(path_));
}

QString ListFile::WriteFailedText() const
{
    return QStringLiteral("无法写入%1“%2”，").arg(what_, QDir::toNativeSeparators(path_));
}

QByteArray ListFile::Encode(const QString& text) const
{
    const std::string bytes = ansi_.fromUtf16(text.toStdU16String());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString ListFile::Decode(const QByteArray& bytes) const
{
    return QString::fromStdU16String(
        ansi_.toUtf16(std::string(bytes.constData(), static_cast<size_t>(bytes.size()))));
}

ListFile::Record ListFile::Split(QStringView line) const
{
    const int n = std::max(1, layout_.fields);
    const std::vector<Word> words = Words(line);
    const int count = static_cast<int>(words.size());
    Record record;
    record.reserve(n);
    if (layout_.rest == Rest::IntoFirst && count > n) {
        // The fixed fields are the last words; whatever comes before them, spaces and all,
        // is the first field.
        const int first = count - (n - 1);
        record << line.mid(0, words[first - 1].end).trimmed().toString();
        for (int i = first; i < count; ++i)
            record << Text(line, words[i]);
        return record;
    }
    for (int i = 0; i < n; ++i) {
        if (i >= count) {
            record << QString();
        } else if (i == n - 1 && layout_.rest == Rest::IntoLast) {
            record << line.mid(words[i].start).trimmed().toString();
        } else {
            record << Text(line, words[i]);
        }
    }
    return record;
}

QByteArray ListFile::Join(const Record& record) const
{
    QStringList fields = record;
    while (fields.size() < layout_.fields)
        fields << QString();
    return Encode(fields.join(u' ')) + layout_.lineEnd;
}

std::optional<ListFile::Records> ListFile::Read(const QString& notDone)
{
    QFile file(path_);
    if (!file.exists()) {
        unreadable_ = false;
        return Records{};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable_ = true;
        ui_.ShowMessage(ReadFailedText() + notDone);
        return std::nullopt;
    }
    unreadable_ = false;
    return Parse(file.readAll());
}

ListFile::Records ListFile::Parse(const QByteArray& bytes) const
{
    const QString text = Decode(bytes);
    Records records;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (Words(line).empty())
            continue;
        records.push_back(Split(line));
    }
    return records;
}

QByteArray ListFile::Serialize(const Records& records) const
{
    if (records.empty())
        return Join({});
    QByteArray bytes;
    for (const Record& record : records)
        bytes += Join(record);
    return bytes;
}

bool ListFile::Commit(const QByteArray& bytes, const QString& notDone)
{
    QSaveFile file(path_);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    ui_.ShowMessage(WriteFailedText() + notDone);
    return false;
}

bool ListFile::Append(const Record& record, const QString& notDone)
{
    QFile current(path_);
    QByteArray bytes;
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            unreadable_ = true;
            ui_.ShowMessage(ReadFailedText() + notDone);
            return false;
        }
        bytes = current.readAll();
        current.close();
        // A hand-edited last line without its line end must not swallow the new record.
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += layout_.lineEnd;
    }
    return Commit(bytes + Join(record), notDone);
}

bool ListFile::Rewrite(const Records& records, const QString& notDone)
{
    if (unreadable_) {
        ui_.ShowMessage(ReadFailedText() + notDone);
        return false;
    }
    return Commit(Serialize(records), notDone);
}

QStringList GridRow(const QTableWidget* grid, int row)
{
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* item = grid->item(row, c);
        cells << (item ? item->text() : QString());
    }
    return cells;
}

void SetGridRow(QTableWidget* grid, int row, const QStringList& cells)
{
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QString text = c < cells.size() ? cells[c] : QString();
        QTableWidgetItem* item = grid->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            grid->setItem(row, c, item);
        }
        item->setText(text);
        item->setToolTip(text);
    }
}

void ShowRecords(QTableWidget* grid, const ListFile::Records& records)
{
    if (records.empty())
        return;
    grid->setRowCount(static_cast<int>(records.size()));
    for (size_t r = 0; r < records.size(); ++r)
        SetGridRow(grid, static_cast<int>(r), records[r]);
}

ListFile::Records GridRecords(const QTableWidget* grid)
{
    ListFile::Records records;
    for (int r = 0; r < grid->rowCount(); ++r)
        records.push_back(GridRow(grid, r));
    return records;
}
