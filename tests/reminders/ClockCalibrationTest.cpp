#include "support/TestEnvironment.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"
#include "reminders/ClockCalibration.h"
#include "support/FakeClockSetter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

using Outcome = NetTimeClient::Outcome;

class Calibration : public ::testing::Test {
protected:
    Calibration() { env.Start<ClockCalibration>(); }
    void SetUp() override
    {
        auto fake = std::make_unique<FakeClockSetter>();
        setter = fake.get();
        env.platform.clockSetter = std::move(fake);
        env.clock->Set(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0, 300)));
    }
    //! The clock's present time in seconds since 1970, plus `offsetMs`.
    std::int64_t ClockPlus(qint64 offsetMs) const
    {
        return (env.clock->Current().toMSecsSinceEpoch() + offsetMs) / 1000;
    }

    ClockCalibration& Feature() { return env.Feature<ClockCalibration>(); }

    TestEnvironment env;
    FakeClockSetter* setter = nullptr;
};

TEST_F(Calibration, OneExchangeInTheMinuteAroundEachFullHourAndNoneAtTheHalf)
{
    // The test world's server is a closed loopback port: each exchange ends in a refusal,
    // waited for after every tick so that a second exchange could start.
    const auto settle = [&] {
        for (int i = 0; i < 200 && Feature().GetNetTime.Busy(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    const QString refused = ClockCalibration::ConnectErrorText();
    for (const QTime at : {QTime(9, 59, 30), QTime(10, 59, 30), QTime(11, 29, 30)}) {
        env.ui.Clear();
        env.TickThrough(QDateTime(QDate(2026, 12, 9), at), 61, 2, settle);
        EXPECT_EQ(env.ui.Texts("balloon"), at.minute() == 59 ? QStringList{refused} : QStringList{})
            << at.toString().toStdString();
    }
    EXPECT_TRUE(setter->set.empty());
}

TEST_F(Calibration, EachFailureHasItsBalloonAndSetsNothing)
{
    const struct {
        Outcome outcome;
        QString balloon;
    } rows[] = {{Outcome::ConnectError, "网络异常:校准中国时间失败,请检查网络是否正常"},
                {Outcome::NotConnected, "连接服务器失败:校准中国时间失败,请检测网络时候正常"},
                {Outcome::ReadFailed, "校准中国时间失败"}};
    for (const auto& row : rows) {
        env.ui.Clear();
        Feature().TakeNetTime({row.outcome, 0});
        EXPECT_EQ(env.ui.Texts("balloon"), QStringList{row.balloon});
    }
    EXPECT_TRUE(setter->set.empty());
}

TEST_F(Calibration, TheClockIsComparedWithTheMiddleOfTheServersSecond)
{
    // The clock reads 10:00:00.300; the server's time lies somewhere in the second it names.
    const struct {
        qint64 serverSecondAhead;
        bool set;
    } rows[] = {{0, false}, {-1, false}, {1, true}, {-2, true}, {3600, true}};
    for (const auto& row : rows) {
        setter->setMs.clear();
        const std::int64_t server = ClockPlus(0) + row.serverSecondAhead;
        Feature().TakeNetTime({Outcome::Time, server});
        EXPECT_EQ(setter->setMs, row.set ? std::vector<std::int64_t>{server * 1000 + 500}
                                         : std::vector<std::int64_t>{})
            << row.serverSecondAhead;
    }
    EXPECT_EQ(env.ui.Count("balloon"), 0) << "success is silent";
}

TEST_F(Calibration, AClockTheSystemKeepsInStepIsLeftAloneWithoutAWord)
{
    setter->sync = platform::SystemClockSetter::Sync::InStep;
    // No server is asked: the test world's one is a closed port, which would be a balloon.
    env.TickThrough(QDateTime(QDate(2026, 12, 9), QTime(9, 59, 58)), 4);
    EXPECT_EQ(setter->syncQueries, 1);
    EXPECT_FALSE(Feature().GetNetTime.Busy());
    EXPECT_FALSE(Feature().Busy());
    EXPECT_TRUE(env.ui.Texts("balloon").isEmpty());
    // Not listed as coming while the system keeps the clock, yet asked again every hour.
    const auto listed = [&] {
        const LocalMoment now = env.Host().Context().Now();
        return env.Host().Context().Upcoming(now, Occurrences::After(now, 7200)).timed.size();
    };
    EXPECT_EQ(listed(), 0u);

    // Synchronisation on but not yet reached: the system would refuse, so nothing is set.
    setter->sync = platform::SystemClockSetter::Sync::Automatic;
    env.TickThrough(QDateTime(QDate(2026, 12, 9), QTime(10, 59, 59)), 2);
    EXPECT_EQ(setter->syncQueries, 2);
    EXPECT_EQ(listed(), 1u);
    for (int i = 0; i < 200 && Feature().Busy(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(env.ui.Texts("balloon"), QStringList{ClockCalibration::ConnectErrorText()})
        << "the server is still asked";
    env.ui.Clear();
    Feature().TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
    EXPECT_TRUE(setter->setMs.empty());
    EXPECT_TRUE(env.ui.Texts("balloon").isEmpty());
}

TEST_F(Calibration, RefusalsForWantOfTheRightAreToldOnceAndOtherFailuresEachTime)
{
    using SetOutcome = platform::SystemClockSetter::Outcome;
    const struct {
        SetOutcome outcome;
        QStringList balloons; // after three hours
    } rows[] = {
        {SetOutcome::NotAllowed, {"校准中国时间失败：没有设置系统时钟的权限"}},
        {SetOutcome::AutomaticSyncOn, {}},
        {SetOutcome::Failed, {"校准中国时间失败", "校准中国时间失败", "校准中国时间失败"}},
    };
    for (const auto& row : rows) {
        env.Restart(); // a new run: nothing told yet
        env.ui.Clear();
        setter->outcome = row.outcome;
        for (int hour = 0; hour < 3; ++hour)
            Feature().TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
        EXPECT_EQ(env.ui.Texts("balloon"), row.balloons) << int(row.outcome);
    }
}

TEST_F(Calibration, TheOutcomeOfASettingIsTakenWhenItComesAndARefusedOrMissingSetterFails)
{
    setter->hold = true;
    setter->refuse = true;
    Feature().TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
    EXPECT_EQ(setter->setMs.size(), 1u);
    EXPECT_TRUE(env.ui.Texts("balloon").isEmpty());
    setter->Answer();
    EXPECT_EQ(env.ui.Texts("balloon"), QStringList{"校准中国时间失败"});

    setter->hold = false;
    Feature().TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
    env.platform.clockSetter.reset();
    Feature().TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
    EXPECT_EQ(env.ui.Texts("balloon"), QStringList(3, "校准中国时间失败"));
}

TEST(NetTimeClient, TheServerIsReadAsHostAndOptionalPort)
{
    using Server = std::optional<std::pair<QString, quint16>>;
    const struct {
        QString text;
        Server server;
    } rows[] = {
        {"time.example", std::pair{QString("time.example"), quint16(37)}},
        {" 127.0.0.1:3737 ", std::pair{QString("127.0.0.1"), quint16(3737)}},
        {"[::1]:40", std::pair{QString("::1"), quint16(40)}},
        {"[::1]", std::pair{QString("::1"), quint16(37)}},
        {"::1", std::pair{QString("::1"), quint16(37)}},
        {"", std::nullopt},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:70000", std::nullopt},
        {"host:x", std::nullopt},
        {"[::1", std::nullopt},
        {":37", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NetTimeClient::ParseServer(row.text), row.server) << row.text.toStdString();
}

TEST(NetTimeClient, CountsReadInTheirEraWithHalfTheRoundTripInWholeSeconds)
{
    constexpr std::int64_t k1900 = 2208988800LL;
    const auto dec2026 = static_cast<std::uint32_t>(1796810400 + k1900); // 2026-12-09 10:00 UTC
    const struct {
        std::uint32_t count;
        qint64 roundTripMs;
        std::optional<std::int64_t> unix;
    } rows[] = {
        {dec2026, 0, 1796810400},
        {dec2026, 1999, 1796810400}, // under two seconds there and back adds nothing
        {dec2026, 2000, 1796810401},
        {dec2026, 5999, 1796810402},
        {0, 0, std::nullopt},
        {0x7FFFFFFF, 0, 0x17FFFFFFFLL - k1900}, // the last second of the next era's half
        {1, 0, 0x100000001LL - k1900},          // 2036-02-07 06:28:17
        {0x80000000, 0, std::nullopt},          // 1968: never a real answer
        {1767225599 + k1900, 0, std::nullopt},  // the last second of 2025
        {1767225600 + k1900, 0, 1767225600},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NetTimeClient::UnixTimeOf(row.count, row.roundTripMs), row.unix)
            << row.count << " " << row.roundTripMs;
}

} // namespace
