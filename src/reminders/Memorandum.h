#pragma once

#include "core/ListFile.h"
#include "core/OncePerSecond.h"
#include "scheduler/TimeText.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>
#include <vector>

class AlarmClocks;
class QAction;
class QMenu;
class QPushButton;
class QTableWidget;
class FeatureContext;
struct Occurrence;
class TMemorandumForm;

//! Dated notes kept in "Memorandum.txt" in the user data folder (ANSI code page, CR LF, one note a
//! line: date, time and content separated by single spaces), listed in a three-column grid. The
//! tick announces a note dated tomorrow, rings a note when its second comes and removes notes whose
//! day has passed.
class Memorandum {
public:
    Memorandum(FeatureContext& ctx, AlarmClocks& alarms);
    ~Memorandum();

    QTableWidget* MemorandumStringGrid = nullptr;
    QMenu* MemorandumPopupMenu = nullptr;
    QAction* Delete = nullptr;
    QPushButton* AddMemorandumButton = nullptr;
    TMemorandumForm* MemorandumForm = nullptr;

    //! While set, the next note found dated tomorrow gets a tray notice.
    bool TomorrowNoticeArmed = true;

    //! Longest content kept, in characters.
    static constexpr int kMaxContent = 250;
    //! `text` cut to kMaxContent characters; a surrogate pair is never split.
    static QString CutContent(const QString& text);
    //! Content the store could not give back whole: spaces, tabs and line breaks split it.
    static bool HasBreakingSpace(const QString& text);

    QString StorePath() const;

    void LoadMemoranda();
    //! Removes grid row `row` and rewrites the store; when the store cannot be written a
    //! message says so and grid and store stay as they were.
    bool DeleteMemorandum(int row);
    void CheckMemoranda();
    //! The first second, `after`'s or later, in which a note rings or the list needs tidying
    //! (a day passed, a note came to be dated tomorrow); the tidying is not listed.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;
    void DeleteClick();
    void MemorandumStringGridMouseDown();
    void AddMemorandumButtonClick();

    //! Appends one note and reloads the grid; false, after a message, when the store
    //! cannot be read or written (then nothing changed).
    bool AppendMemorandum(const QString& date, const QString& time, const QString& content);

    //! The three cells of a grid row.
    QStringList Row(int row) const;

private:
    // A grid row with its date and time read once, so the tick only compares numbers.
    struct Note {
        std::optional<QDate> date;
        std::optional<QTime> time;
        QStringList cells; //!< as the grid shows them
    };
    // What a day's ticks find to tidy, worked out from the notes when the day or the list
    // changes, so that a tick with nothing to do makes no pass over the rows.
    struct DayIndex {
        QDate day;             //!< invalid: to be worked out again
        bool past = false;     //!< a note dated before `day` is waiting to be removed
        bool tomorrow = false; //!< a note is dated the day after
    };

    void BuildGroup();
    void IndexRows();
    void IndexDay(const QDate& day);
    //! Whether the day as worked out holds a removal or a notice still to make.
    bool TidyingDue() const;
    //! Rings, announces and removes notes over every row, as they are now.
    void WalkRows(const LocalMoment& now);
    //! Removes the row from store and grid; on a refused write, a message ending in
    //! `notDone` and both stay as they were.
    bool RemoveRow(int row, const QString& notDone);
    int FindRow(const QStringList& cells, int near) const;

    FeatureContext& ctx_;
    AlarmClocks& alarms_;
    ListFile store_;
    std::vector<Note> notes_;
    // The notes' seconds with their rows, and the days that have notes, both sorted: the
    // answer of what comes next is a search, asked again for every entry the view lists.
    std::vector<std::pair<qint64, std::size_t>> ringSeconds_;
    std::vector<qint64> noteDays_;
    DayIndex day_;
    int schedule_ = -1;
    // A past note that cannot be removed is left alone for the rest of the run instead of
    // raising a box every second.
    bool pastRemovalFailed_ = false;
    // Notes already rung in this second: two ticks can fall into one second.
    OncePerSecond rungThisSecond_;
    std::vector<QStringList> rungNotes_;
};
