#include "ReminderHost.h"

#include "reminders/ClockCalibration.h"
#include "support/FakeClockSetter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

using Outcome = NetTimeClient::Outcome;

class Calibration : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto fake = std::make_unique<FakeClockSetter>();
        setter = fake.get();
        host.env.platform.clockSetter = std::move(fake);
        host.env.clock->Set(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0, 300)));
    }
    //! The clock's present time in seconds since 1970, plus `offsetMs`.
    std::int64_t ClockPlus(qint64 offsetMs) const
    {
        return (host.env.clock->Current().toMSecsSinceEpoch() + offsetMs) / 1000;
    }

    ReminderHost<ClockCalibration> host;
    FakeClockSetter* setter = nullptr;
};

TEST_F(Calibration, OneExchangeInTheMinuteAroundEachFullHourAndNoneAtTheHalf)
{
    // The test world's server is a closed loopback port: each exchange ends in a refusal,
    // waited for after every tick so that a second exchange could start.
    const auto settle = [&] {
        for (int i = 0; i < 200 && host->GetNetTime.Busy(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    const QString refused = ClockCalibration::ConnectErrorText();
    for (const QTime at : {QTime(9, 59, 30), QTime(10, 59, 30), QTime(11, 29, 30)}) {
        host.env.ui.Clear();
        host.env.TickThrough(QDateTime(QDate(2026, 12, 9), at), 61, 2, settle);
        EXPECT_EQ(host.env.ui.Texts("balloon"),
                  at.minute() == 59 ? QStringList{refused} : QStringList{})
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
        host.env.ui.Clear();
        host->TakeNetTime({row.outcome, 0});
        EXPECT_EQ(host.env.ui.Texts("balloon"), QStringList{row.balloon});
    }
    EXPECT_TRUE(setter->set.empty());
}

TEST_F(Calibration, AClockWithinASecondIsLeftAloneAndOneFurtherOffIsSet)
{
    const struct {
        qint64 serverAheadMs;
        bool set;
    } rows[] = {{0, false},    {-300, false}, {650, false},
                {-1300, true}, {1700, true},  {3600'000, true}};
    for (const auto& row : rows) {
        setter->set.clear();
        const std::int64_t server = ClockPlus(row.serverAheadMs);
        host->TakeNetTime({Outcome::Time, server});
        EXPECT_EQ(setter->set,
                  row.set ? std::vector<std::int64_t>{server} : std::vector<std::int64_t>{})
            << row.serverAheadMs;
    }
    EXPECT_EQ(host.env.ui.Count("balloon"), 0) << "success is silent";
}

TEST_F(Calibration, ARefusedOrMissingClockSetterGivesTheThirdBalloon)
{
    setter->refuse = true;
    host->TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
    host.env.platform.clockSetter.reset();
    host->TakeNetTime({Outcome::Time, ClockPlus(3600'000)});
    EXPECT_EQ(host.env.ui.Texts("balloon"), QStringList({"校准中国时间失败", "校准中国时间失败"}));
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
