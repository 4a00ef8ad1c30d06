#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QTableWidget;
class UiServices;

namespace platform {
class AnsiCodePage;
}

//! A user's list kept as one record a line in a text file in the ANSI code page and shown
//! in a string grid, row i being the i-th record. Lines are read whole, however long.
//! Every write replaces the whole file through a temporary one, so a crash or a refused
//! write leaves the old list; a file that exists but cannot be read is never overwritten.
//! A failure shows one message naming the file and what was not done.
class ListFile {
public:
    using Record = QStringList;
    using Records = std::vector<Record>;

    //! How the words of a line become a record's fields.
    enum class Rest {
        Drop,      //!< one word a field; words past the last field are ignored
        IntoLast,  //!< the last field keeps the rest of the line, spaces and all
        IntoFirst, //!< the first field keeps all before the last fields - 1 words
    };

    struct Layout {
        int fields = 1;
        Rest rest = Rest::IntoLast;
        QByteArray lineEnd = "\r\n";
    };

    //! `what` names the file in messages ("备忘录文件").
    ListFile(platform::AnsiCodePage& ansi, UiServices& ui, QString path, QString what,
             Layout layout);

    const QString& Path() const { return path_; }

    //! The records in file order; blank lines are skipped. An absent file has none. A file
    //! that cannot be read gives nothing, after a message ending in `notDone`, and every
    //! write is refused until a later read succeeds.
    std::optional<Records> Read(const QString& notDone);
    bool Unreadable() const { return unreadable_; }

    //! Adds one record at the end. False, after a message, when nothing was added.
    bool Append(const Record& record, const QString& notDone);
    //! Writes `records` as the whole list. No records leave one line of empty fields,
    //! as the one emptied row of the grid.
    bool Rewrite(const Records& records, const QString& notDone);

    //! The file's bytes as records, and records as the file's bytes: what Read and Rewrite
    //! do between the disk and the grid.
    Records Parse(const QByteArray& bytes) const;
    QByteArray Serialize(const Records& records) const;

    //! One line's fields as this layout reads them (always `fields` strings).
    Record Split(QStringView line) const;
    QByteArray Join(const Record& record) const;

    QString ReadFailedText() const;
    QString WriteFailedText() const;

private:
    bool Commit(const QByteArray& bytes, const QString& notDone);
    QByteArray Encode(const QString& text) const;
    QString Decode(const QByteArray& bytes) const;

    platform::AnsiCodePage& ansi_;
    UiServices& ui_;
    QString path_;
    QString what_;
    Layout layout_;
    bool unreadable_ = false;
};

//! The cells of grid row `row`, `columns` of them (empty where a cell has no item).
QStringList GridRow(const QTableWidget* grid, int row);
//! Puts `cells` into grid row `row`: read-only cells, each with its text as its tool tip.
void SetGridRow(QTableWidget* grid, int row, const QStringList& cells);
//! Makes the grid exactly as long as `records` and fills it; no records leave it as it is.
void ShowRecords(QTableWidget* grid, const ListFile::Records& records);
//! Every grid row as a record.
ListFile::Records GridRecords(const QTableWidget* grid);
