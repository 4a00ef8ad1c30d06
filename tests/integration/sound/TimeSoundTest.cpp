#include "RecordingPlayer.h"
#include "reminders/HalfHourChime.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>

namespace {

class TimeSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QMediaPlayer().isAvailable())
            GTEST_SKIP() << "Qt reports no multimedia backend";
        env = std::make_unique<TestEnvironment>();
        // After the environment, which puts in its fake player.
        SoundPlayer::SetFactory([this] {
            auto p = std::make_unique<RecordingPlayer>();
            player = p.get();
            return p;
        });
        env->Start<HalfHourChime>();
        const QString dir = env->ProgramDir() + "TimeSound/";
        ASSERT_TRUE(QDir().mkpath(dir));
        for (const QFileInfo& f : QDir(QUORLIN_SHIPPED_TIME_SOUNDS).entryInfoList({"*.wav"}))
            ASSERT_TRUE(QFile::copy(f.filePath(), dir + f.fileName()));
    }
    void TearDown() override { SoundPlayer::SetFactory({}); }

    //! Chimes at `at` and waits until the chain is over.
    void ChimeAt(const QTime& at)
    {
        env->clock->Set(QDate(2026, 12, 9), at);
        env->RunTick();
        ASSERT_TRUE(
            WaitFor([&] { return env->Feature<HalfHourChime>().SpeechQueue.isEmpty(); }, 30000));
    }
    QStringList Files() const
    {
        QStringList files;
        for (const auto& h : player->heard)
            files << h.file;
        return files;
    }

    RecordingPlayer* player = nullptr;
    std::unique_ptr<TestEnvironment> env;
};

TEST_F(TimeSound, TheShippedRecordingsPlayInChainEachToItsEnd)
{
    QElapsedTimer whole;
    whole.start();
    ChimeAt(QTime(13, 30));
    const qint64 tookMs = whole.elapsed();
    ASSERT_EQ(Files(), QStringList({"TIMENOW", "PM", "1", "POINT", "30", "MIN"}));
    qint64 sum = 0;
    for (const auto& h : player->heard) {
        EXPECT_FALSE(h.failed) << h.file.toStdString();
        EXPECT_GT(h.duration, 200) << h.file.toStdString();
        EXPECT_LT(h.duration, 2500) << h.file.toStdString() << ": a short spoken piece";
        EXPECT_GE(h.position, h.duration - 250) << h.file.toStdString() << " ended at its end";
        EXPECT_GE(h.playedMs, h.duration - 300) << h.file.toStdString() << " played in real time";
        sum += h.duration;
    }
    EXPECT_GE(tookMs, sum - 500);
    EXPECT_LT(tookMs, sum + 6 * 800) << "each piece follows the last without a long gap";
    std::printf("chain 13:30: %lld ms of sound, %lld ms in all\n", (long long)sum,
                (long long)tookMs);
}

TEST_F(TimeSound, ABrokenRecordingIsPassedOverAndTheRestStillPlays)
{
    {
        QFile broken(env->ProgramDir() + "TimeSound/PM.wav");
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("RIFF not really a wave file at all");
    }
    ChimeAt(QTime(14, 0));
    ASSERT_EQ(Files(), QStringList({"TIMENOW", "PM", "2", "POINT"}));
    EXPECT_TRUE(player->heard[1].failed);
    EXPECT_FALSE(player->heard[3].failed);
}

} // namespace
