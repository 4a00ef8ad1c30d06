#include "support/TestEnvironment.h"

#include "reminders/HalfHourChime.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>

namespace {

const QStringList kRecordings = {"TIMENOW", "AM0", "AM1", "PM", "EM", "POINT", "MIN",
                                 "0",       "1",   "2",   "3",  "4",  "5",     "6",
                                 "7",       "8",   "9",   "10", "11", "12",    "30"};

class Chime : public ::testing::Test {
protected:
    Chime() { env.Start<HalfHourChime>(); }
    void SetUp() override
    {
        QDir().mkpath(Dir());
        for (const QString& name : kRecordings)
            MakeRecording(name);
    }
    QString Dir() const { return env.ProgramDir() + "TimeSound/"; }
    void MakeRecording(const QString& name) const
    {
        QFile f(Dir() + name + ".wav");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    FakeSoundPlayer& Player() { return *env.player; }

    //! The base names opened from the log's line `from` on.
    QStringList Opened(qsizetype from = 0)
    {
        QStringList names;
        const QStringList& log = Player().log;
        for (qsizetype i = from; i < log.size(); ++i)
            if (log[i].startsWith("open "))
                names << log[i].mid(5).remove(Dir()).chopped(4);
        return names;
    }
    //! Lets every piece of the running chain play to its end.
    void PlayOut()
    {
        for (int guard = 0; Player().playing && guard < 20; ++guard)
            Player().ReachEnd();
    }

    HalfHourChime& Feature() { return env.Feature<HalfHourChime>(); }

    TestEnvironment env;
};

struct ChainRow {
    QTime at;
    QStringList files;
};

TEST_F(Chime, EachFullAndHalfHourPlaysItsChainOneFileAfterTheOther)
{
    const ChainRow rows[] = {
        {QTime(0, 0), {"TIMENOW", "AM0", "0", "POINT"}},
        {QTime(6, 30), {"TIMENOW", "AM0", "6", "POINT", "30", "MIN"}},
        {QTime(7, 0), {"TIMENOW", "AM1", "7", "POINT"}},
        {QTime(12, 0), {"TIMENOW", "AM1", "12", "POINT"}},
        {QTime(13, 30), {"TIMENOW", "PM", "1", "POINT", "30", "MIN"}},
        {QTime(14, 0), {"TIMENOW", "PM", "2", "POINT"}},
        {QTime(14, 30), {"TIMENOW", "PM", "2", "POINT", "30", "MIN"}},
        {QTime(18, 30), {"TIMENOW", "PM", "6", "POINT", "30", "MIN"}},
        {QTime(19, 0), {"TIMENOW", "EM", "7", "POINT"}},
        {QTime(23, 30), {"TIMENOW", "EM", "11", "POINT", "30", "MIN"}},
    };
    for (const ChainRow& row : rows) {
        const qsizetype from = Player().log.size();
        env.clock->Set(QDate(2026, 12, 9), row.at);
        env.RunTick();
        // Only the lead-in until it has ended: one file at a time.
        EXPECT_EQ(Opened(from), QStringList{"TIMENOW"}) << row.at.toString().toStdString();
        PlayOut();
        EXPECT_EQ(Opened(from), row.files) << row.at.toString().toStdString();
        EXPECT_TRUE(Feature().SpeechQueue.isEmpty());
        EXPECT_EQ(Player().log.last(), "close");
    }
}

TEST_F(Chime, AMissingOrUnplayableRecordingIsPassedOverAndTheChainGoesOn)
{
    QFile::remove(Dir() + "POINT.wav");
    env.clock->Set(QDate(2026, 12, 9), QTime(14, 30));
    env.RunTick();
    Player().ReachEnd(); // TIMENOW
    Player().ReachEnd(); // PM
    ASSERT_EQ(Opened().last(), "2");
    Player().Fail(); // 2.wav turns out broken
    PlayOut();
    EXPECT_EQ(Opened(), QStringList({"TIMENOW", "PM", "2", "30", "MIN"}));
    EXPECT_TRUE(Feature().SpeechQueue.isEmpty());

    // No lead-in and nothing else there: nothing plays, and the next chime is whole.
    for (const QString& name : kRecordings)
        QFile::remove(Dir() + name + ".wav");
    const qsizetype from = Player().log.size();
    env.Tick(30 * 60);
    EXPECT_TRUE(Opened(from).isEmpty());
    EXPECT_TRUE(Feature().SpeechQueue.isEmpty());
    for (const QString& name : kRecordings)
        MakeRecording(name);
    env.Tick(30 * 60);
    PlayOut();
    EXPECT_EQ(Opened(from), QStringList({"TIMENOW", "PM", "3", "POINT", "30", "MIN"}));
}

TEST_F(Chime, OneChimeInTheWholeMinuteAroundEachHalfHourReplacingOneStillPlayingAndNoneBetween)
{
    env.TickThrough(QDateTime(QDate(2026, 12, 9), QTime(9, 59, 30)), 61, 2);
    EXPECT_EQ(Opened(), QStringList{"TIMENOW"});
    Player().ReachEnd(); // TIMENOW; AM1 is playing, 10 and POINT wait
    qsizetype from = Player().log.size();
    env.TickThrough(QDateTime(QDate(2026, 12, 9), QTime(10, 29, 30)), 61, 2);
    EXPECT_EQ(Opened(from), QStringList{"TIMENOW"});
    PlayOut();
    EXPECT_EQ(Opened(from), QStringList({"TIMENOW", "AM1", "10", "POINT", "30", "MIN"}));
    EXPECT_TRUE(Feature().SpeechQueue.isEmpty());

    from = Player().log.size();
    env.TickThrough(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 31)), 29 * 60);
    EXPECT_TRUE(Opened(from).isEmpty());
}

TEST_F(Chime, OnAtFirstStartSavedAtOnceKeptOverARestartAndClearingLetsARunningChainEnd)
{
    EXPECT_TRUE(Feature().HintTimeCheckBox->isChecked());
    EXPECT_TRUE(env.SettingsText().contains("[HintTime]"));
    EXPECT_TRUE(env.SettingsText().contains("HintTimeMode=1"));

    // Cleared while a chain runs: that chain plays to its end.
    env.clock->Set(QDate(2026, 12, 9), QTime(14, 0));
    env.RunTick();
    Feature().HintTimeCheckBox->setChecked(false);
    EXPECT_TRUE(env.SettingsText().contains("HintTimeMode=0"));
    PlayOut();
    EXPECT_EQ(Opened(), QStringList({"TIMENOW", "PM", "2", "POINT"}));
    env.Restart();
    EXPECT_FALSE(Feature().HintTimeCheckBox->isChecked());
    env.Tick(30 * 60);
    EXPECT_TRUE(Opened().isEmpty());

    Feature().HintTimeCheckBox->setChecked(true);
    env.Restart();
    EXPECT_TRUE(Feature().HintTimeCheckBox->isChecked());
    env.Tick(30 * 60);
    EXPECT_EQ(Opened(), QStringList{"TIMENOW"});
}

} // namespace
