#include "RadioTestSupport.h"

#include "core/FeatureContext.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

using namespace radio_test;

const QDate kMonday(2026, 12, 7);
const QString kStations =
    kCatalogue + QStringLiteral("[国际]\nBBC World Service=http://bbc.example/ws\n");

QStringList GridRows(const QTableWidget* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows << cells.join('|');
    }
    return rows;
}

void TickAt(TestEnvironment& env, const QDate& date, const QTime& time)
{
    env.clock->Set(date, time);
    env.Tick(0);
}

FeatureView& StartTimed(TestEnvironment& env, const QString& timings)
{
    env.WriteProgramFile("RadioTiming", timings);
    return StartRadio(env, kStations);
}

TEST(Radiotiming, RowsFireOnTheirDayAndSecondAndNamesWithSpacesSurviveTheFile)
{
    TestEnvironment env;
    const QString longStation = QString("Gamma") + QString(300, u' ') + "\n";
    QByteArray bytes = "\xc3\xbf\xcc\xec 08:00:00 Gamma\r\n" // 每天
                       "\r\n   \n"
                       "\xd0\xc7\xc6\xda\xd2\xbb  9:30:00\tBBC World Service\n";       // 星期一
    bytes += "\xd0\xc7\xc6\xda\xb6\xfe 10:00:00 Beta" + QByteArray(400, ' ') + "\r\n"; // 星期二
    bytes += "someday 11:00:00 Beta\r\n25:61:00";
    env.WriteProgramFile("RadioTiming", "");
    QFile f(env.ProgramDir() + "RadioTiming");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    FeatureView& form = StartRadio(env, kStations);
    EXPECT_EQ(GridRows(form.RadioTimings->RadioGrid),
              QStringList({"每天|08:00:00|Gamma", "星期一|9:30:00|BBC World Service",
                           "星期二|10:00:00|Beta", "someday|11:00:00|Beta", "25:61:00||"}));

    TickAt(env, kMonday, QTime(9, 29, 59));
    EXPECT_TRUE(env.radio.commands.isEmpty());
    TickAt(env, kMonday, QTime(9, 30, 0));
    EXPECT_EQ(env.radio.Sent(), QStringList({"3:", "5:100", "0:http://bbc.example/ws"}));
    EXPECT_EQ(form.Radio->CurrentRadioName, "BBC World Service");
    TickAt(env, kMonday, QTime(9, 30, 1));
    EXPECT_EQ(form.Radio->RadioPlayState->text(), "BBC World Service\n正在播放");

    // Another station plays: the timing switches without a stop first.
    env.radio.Clear();
    TickAt(env, kMonday.addDays(1), QTime(8, 0, 0));
    EXPECT_EQ(env.radio.Sent(), QStringList({"3:", "5:100", "0:http://g.example/g.mp3"}));
    env.radio.Clear();
    TickAt(env, kMonday, QTime(10, 0, 0)); // Tuesday's timing on a Monday
    TickAt(env, kMonday, QTime(11, 0, 0)); // no such day
    EXPECT_EQ(env.radio.Sent(), QStringList());
    TickAt(env, kMonday.addDays(1), QTime(10, 0, 0));
    EXPECT_EQ(env.radio.Sent(), QStringList({"3:", "5:100", "0:http://b.example/s?x=1&y=2"}));
}

// Two timings in one second start in turn and the lower stays, each once however many ticks
// fall in that second; the next day they start again.
TEST(Radiotiming, TimingsStartOnceInTheirSecondInTurnAndAVanishedStationStops)
{
    TestEnvironment env;
    FeatureView& form =
        StartTimed(env, "每天 12:00:00 Beta\n每天 12:00:00 Gamma\n每天 13:00:00 Gone\n");
    for (const QTime t :
         {QTime(11, 59, 59, 999), QTime(12, 0, 0, 10), QTime(12, 0, 0, 990), QTime(12, 0, 1, 5)})
        TickAt(env, kMonday, t);
    EXPECT_EQ(env.radio.Sent(), QStringList({"3:", "5:100", "0:http://b.example/s?x=1&y=2",
                                             "3:", "5:100", "0:http://g.example/g.mp3"}));
    EXPECT_EQ(form.Radio->CurrentRadioName, "Gamma");
    EXPECT_TRUE(form.Radio->RadioPlaying);
    TickAt(env, kMonday.addDays(1), QTime(12, 0, 0));
    EXPECT_EQ(env.radio.Sent().count("0:http://b.example/s?x=1&y=2"), 2);

    env.radio.Clear();
    TickAt(env, kMonday.addDays(1), QTime(13, 0, 0));
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:"}));
    EXPECT_EQ(form.Radio->RadioPlayState->text(), "目前暂无播放的电台");
    EXPECT_FALSE(form.Radio->RadioPlaying);
}

TEST(Radiotiming, DeletingRewritesTheFileAndTheLastRowIsOnlyEmptied)
{
    TestEnvironment env;
    FeatureView& form =
        StartTimed(env, "每天 08:00:00 Beta\n星期一 09:00:00 Gamma\n星期二 10:00:00 Alpha\n");
    Radiotiming& timing = *form.RadioTimings;
    timing.RadioGrid->setCurrentCell(1, 0);
    timing.DeleteTiming->trigger();
    EXPECT_EQ(GridRows(timing.RadioGrid),
              QStringList({"每天|08:00:00|Beta", "星期二|10:00:00|Alpha"}));
    EXPECT_EQ(env.ReadProgramFile("RadioTiming"),
              "每天 08:00:00 Beta\r\n星期二 10:00:00 Alpha\r\n");

    timing.DeleteRadioTiming(0);
    timing.DeleteRadioTiming(0);
    EXPECT_EQ(GridRows(timing.RadioGrid), QStringList({"||"}));
    EXPECT_EQ(env.ReadProgramFile("RadioTiming"), "  \r\n");
    TickAt(env, kMonday.addDays(1), QTime(10, 0, 0));
    EXPECT_TRUE(env.radio.commands.isEmpty());
    EXPECT_EQ(env.ui.calls.size(), 0u);

    // The blank line is skipped on the next start: the grid keeps its one empty row.
    env.Stop();
    EXPECT_EQ(GridRows(env.Start<Pages::Radio>().RadioTimings->RadioGrid), QStringList({"||"}));
}

TEST(Radiotiming, ATimingFileThatCannotBeReadIsNeverOverwritten)
{
    TestEnvironment env;
    // A folder in the file's place cannot be read by anyone, root included.
    QDir().mkpath(env.ProgramDir() + "RadioTiming");
    FeatureView& form = StartRadio(env, kStations);
    EXPECT_EQ(env.ui.Count("message"), 1);
    DoubleClick(form, "Beta");
    form.RadioStations->AddRadioTiming->trigger();
    form.RadioTimings->RadioTimingForm->TimeMaskEdit->setText("08:00:00");
    env.ui.Clear();
    form.RadioTimings->RadioTimingForm->AddButton->click();
    ASSERT_EQ(env.ui.Count("message"), 1);
    EXPECT_TRUE(env.ui.Texts("message")[0].startsWith("无法读取定时文件"));
    EXPECT_TRUE(QFileInfo(env.ProgramDir() + "RadioTiming").isDir());
}

TEST(Radiotiming, TheDialogRefusesNoStationAndBadTimesAndAppendsAGoodOne)
{
    TestEnvironment env;
    // A hand-edited file whose last line has no line end.
    QFile f(env.ProgramDir() + "RadioTiming");
    QDir().mkpath(env.ProgramDir());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xc3\xbf\xcc\xec 07:00:00 Beta");
    f.close();
    FeatureView& form = StartRadio(env, kStations);
    Radiotiming& timing = *form.RadioTimings;
    TRadioTimingForm& dialog = *timing.RadioTimingForm;

    timing.AddToTimingButton->click();
    EXPECT_EQ(env.ui.Texts("message"), QStringList({"请你选择定时播放的电台"}));
    EXPECT_FALSE(dialog.isVisible());

    DoubleClick(form, "BBC World Service");
    form.RadioStations->AddRadioTiming->trigger();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.RadioName->text(), "BBC World Service");
    EXPECT_EQ(dialog.TimeMaskEdit->text(), "00:00:00");
    env.ui.Clear();
    dialog.AddButton->click();
    dialog.TimeMaskEdit->setText("25:61:00");
    dialog.AddButton->click();
    // Midnight with the first hour digit left blank is midnight all the same.
    dialog.TimeMaskEdit->setText("0:00:00");
    dialog.AddButton->click();
    EXPECT_EQ(env.ui.Texts("message"), QStringList(3, "请输入一个正确的时间,如:08:08:08"));
    EXPECT_TRUE(dialog.isVisible());

    env.ui.Clear();
    dialog.DateComboBox->setCurrentIndex(2);
    dialog.TimeMaskEdit->setText("21:15:00");
    dialog.AddButton->click();
    EXPECT_EQ(env.ui.Texts("message"), QStringList({"添加成功"}));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(env.ReadProgramFile("RadioTiming"),
              "每天 07:00:00 Beta\r\n星期一 21:15:00 BBC World Service\r\n");
    EXPECT_EQ(GridRows(timing.RadioGrid),
              QStringList({"每天|07:00:00|Beta", "星期一|21:15:00|BBC World Service"}));
    TickAt(env, kMonday, QTime(21, 15, 0));
    EXPECT_EQ(env.radio.Sent().last(), "0:http://bbc.example/ws");

    // Reopened, the dialog keeps the day and time of last time.
    timing.AddToTimingButton->click();
    EXPECT_EQ(dialog.DateComboBox->currentText(), "星期一");
    EXPECT_EQ(dialog.TimeText(), "21:15:00");
}

// "date time station" for every stream a tick started, second by second from the clock on.
QStringList StartsOver(TestEnvironment& env, FeatureView& form, int seconds)
{
    QStringList started;
    for (int s = 0; s < seconds; ++s) {
        env.Tick(s == 0 ? 0 : 1);
        const LocalMoment now = env.Host().Context().Now();
        for (const QString& command : env.radio.commands)
            if (command.startsWith("0:"))
                started << DateText(now.date) + u' ' + TimeText(now.time) + u' ' +
                               form.Radio->CurrentRadioName;
        env.radio.Clear();
    }
    return started;
}

// After the day's timings were worked out, a new timing, the next day and a timing among
// a thousand are each found in their second, once.
TEST(Radiotiming, ChangesAndTheNextDayTakeEffectInTheirSecond)
{
    QString thousand;
    for (int i = 0; i < 1000; ++i)
        thousand += QString("星期一 %1:%2:00 Beta\n").arg(i % 24).arg(i % 60, 2, 10, QChar(u'0'));
    const struct {
        const char* name;
        QString later; //!< the list from the second tick on
        QTime from;
        QStringList started;
    } cases[] = {
        {"added", "每天 10:00:02 Gamma\n", QTime(10, 0, 0), {"2026/12/09 10:00:02 Gamma"}},
        {"next day", "星期四 0:00:00 Beta\n", QTime(23, 59, 59), {"2026/12/10 0:00:00 Beta"}},
        {"among a thousand",
         thousand + "星期三 10:00:01 Alpha\n",
         QTime(10, 0, 0),
         {"2026/12/09 10:00:01 Alpha"}},
    };
    for (const auto& c : cases) {
        TestEnvironment env;
        FeatureView& form = StartTimed(env, "星期二 10:00:02 Beta\n");
        env.clock->Set(QDate(2026, 12, 9), c.from);
        env.Tick(0);
        env.WriteProgramFile("RadioTiming", c.later);
        form.RadioTimings->LoadRadioTimings();
        env.radio.Clear();
        EXPECT_EQ(StartsOver(env, form, 4), c.started) << c.name;
    }
}

} // namespace
