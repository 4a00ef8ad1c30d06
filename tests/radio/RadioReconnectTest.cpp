#include "RadioTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

namespace {

using namespace radio_test;
using Phase = NetRadioLibrary::StreamState::Phase;

const QString kAlpha = QStringLiteral("0:http://a.example/live");
const QString kAlphaMirror = QStringLiteral("0:http://other.example/alpha");

//! The radio page playing Alpha (which has a mirror), its stream up.
struct PlayingAlpha {
    TestEnvironment env;
    FeatureView* form = nullptr;
    RadioPlayback* radio = nullptr;

    PlayingAlpha()
    {
        form = &StartRadio(env);
        radio = form->Radio;
        DoubleClick(*form, "Alpha");
        env.radio.state.phase = Phase::Playing;
        env.Tick();
        env.radio.Clear();
    }
    QString Label() const { return radio->RadioPlayState->text(); }

    //! Ticks `seconds` times; every attempt fails (or, with `playFor`, plays that many
    //! seconds first; with `hopeless`, the server no longer has the address). Returns the
    //! seconds, counted from the first tick, of each open.
    QList<int> TickFailing(int seconds, int playFor = 0, bool hopeless = false)
    {
        QList<int> opens;
        int playing = 0;
        for (int t = 1; t <= seconds; ++t) {
            const qsizetype before = env.radio.commands.size();
            env.Tick();
            for (qsizetype i = before; i < env.radio.commands.size(); ++i)
                if (env.radio.commands[i].startsWith("0:"))
                    opens << t;
            if (env.radio.state.phase == Phase::Opening) {
                env.radio.state = {playFor > 0 ? Phase::Playing : Phase::Failed, hopeless, {}};
                playing = 0;
            } else if (env.radio.state.phase == Phase::Playing && ++playing >= playFor) {
                env.radio.state.phase = Phase::Dropped;
            }
        }
        return opens;
    }
};

TEST(RadioReconnect, ADroppedStreamIsOpenedAgainWithGrowingPausesThenGivenUp)
{
    PlayingAlpha p;
    p.env.radio.state.phase = Phase::Dropped;
    p.env.Tick();
    EXPECT_EQ(p.Label(), "Alpha\n正在重新连接…（第 1 次）");
    EXPECT_TRUE(p.env.radio.Sent().isEmpty());

    // The first attempt goes back to the same address, the next to the mirror.
    p.env.Tick();
    EXPECT_EQ(p.env.radio.Sent(), QStringList({"3:", "5:100", kAlpha}));
    p.env.radio.state.phase = Phase::Failed;
    p.env.Tick();
    EXPECT_EQ(p.Label(), "Alpha\n正在重新连接…（第 2 次）");
    p.env.radio.Clear();
    p.env.Tick(2);
    EXPECT_EQ(p.env.radio.Sent(), QStringList({"3:", "5:100", kAlphaMirror}));

    // Pauses of 4, 8, 15 and then 30 s between the end of one attempt and the next.
    const QList<int> opens = p.TickFailing(700);
    ASSERT_GE(opens.size(), 6);
    EXPECT_EQ(opens.mid(0, 5), QList<int>({6, 15, 31, 62, 93}));
    // Nothing starts later than ten minutes after the drop (4 s before the loop).
    EXPECT_LE(opens.last() + 4, RadioPlayback::kGiveUpSeconds);
    EXPECT_EQ(p.Label(), "Alpha\n播放失败：电台连接中断");
    EXPECT_EQ(p.radio->PlayStopButton->text(), "播放");
    EXPECT_FALSE(p.radio->RadioPlaying);
    EXPECT_EQ(p.env.radio.Sent().last(), "4:");
}

TEST(RadioReconnect, AStreamThatComesBackAndStaysIsMendedButOneThatKeepsDroppingIsNot)
{
    PlayingAlpha p;
    p.env.radio.state.phase = Phase::Dropped;
    p.env.Tick();
    p.env.Tick();
    p.env.radio.state.phase = Phase::Playing;
    p.env.Tick();
    EXPECT_EQ(p.Label(), "Alpha\n正在播放");
    // Steady for a minute: the next drop starts again at the first pause.
    p.env.Tick(RadioPlayback::kSteadySeconds);
    p.env.radio.Clear();
    p.env.radio.state.phase = Phase::Dropped;
    EXPECT_EQ(p.TickFailing(3), QList<int>({2}));
    EXPECT_EQ(p.Label(), "Alpha\n正在重新连接…（第 2 次）");

    // A server that takes every attempt and drops it seconds later still ends in giving up.
    PlayingAlpha flapping;
    flapping.env.radio.state.phase = Phase::Dropped;
    flapping.TickFailing(800, 5);
    EXPECT_FALSE(flapping.radio->RadioPlaying);
    EXPECT_EQ(flapping.Label(), "Alpha\n播放失败：电台连接中断");
}

TEST(RadioReconnect, AStopByTheUserIsNeverUndone)
{
    PlayingAlpha p;
    p.env.radio.state.phase = Phase::Dropped;
    p.env.Tick();
    p.radio->PlayStopButton->click();
    EXPECT_EQ(p.Label(), "目前暂无播放的电台");
    // Whatever the player reports afterwards.
    p.env.radio.state.phase = Phase::Dropped;
    p.env.radio.Clear();
    p.TickFailing(120);
    EXPECT_TRUE(p.env.radio.commands.isEmpty());

    // Playing again starts afresh: no attempt count left over.
    p.radio->PlayStopButton->click();
    p.env.radio.state.phase = Phase::Playing;
    p.env.Tick();
    EXPECT_EQ(p.Label(), "Alpha\n正在播放");
}

TEST(RadioReconnect, AStationThatNeverPlaysTriesItsMirrorsOnceAndShowsWhy)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env);
    DoubleClick(form, "Alpha");
    env.radio.Clear();
    env.radio.state = {Phase::Failed, true, {}};
    env.radio.status = "播放失败：电台拒绝访问";
    env.Tick();
    EXPECT_EQ(env.radio.Sent(), QStringList({"3:", "5:100", kAlphaMirror}));
    env.radio.state = {Phase::Failed, true, {}};
    env.Tick();
    EXPECT_EQ(form.Radio->RadioPlayState->text(), "Alpha\n播放失败：电台拒绝访问");
    EXPECT_EQ(form.Radio->PlayStopButton->text(), "播放");
    env.radio.Clear();
    for (int i = 0; i < 60; ++i)
        env.Tick();
    EXPECT_TRUE(env.radio.Sent().isEmpty());
}

TEST(RadioReconnect, AnAddressTheServerNoLongerHasIsNotTriedForTenMinutes)
{
    PlayingAlpha p;
    p.env.radio.state.phase = Phase::Dropped;
    EXPECT_EQ(p.TickFailing(120, 0, true).size(), RadioPlayback::kHopelessTries);
    EXPECT_EQ(p.Label(), "Alpha\n播放失败：电台连接中断");
}

} // namespace
