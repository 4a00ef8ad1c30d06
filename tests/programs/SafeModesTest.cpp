#include "support/TestEnvironment.h"

#include "programs/PasswordDigest.h"
#include "programs/SafeModes.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString Stored(TestEnvironment& env, const QString& key)
{
    return env.Host().Context().Settings().ReadString("SafeModes", key, "<absent>");
}

bool LockedView(TestEnvironment& env, const SafeModes& s)
{
    const bool pages = !env.Host().Context().Page(PageId::Install)->isEnabled();
    EXPECT_EQ(pages, !s.SafeModePanel->isHidden()) << "tabs and panel go together";
    return pages;
}

void SetPassword(SafeModes& s, const QString& first, const QString& second)
{
    s.CheckPasswordMaskEdit->setText(first);
    s.PasswordMaskEdit->setText(second);
    s.EnableSafeCheckBox->setChecked(true);
}

bool Unlock(SafeModes& s, const QString& entry)
{
    s.SafeModePasswordMaskEdit->setText(entry);
    s.SaveModeButton->click();
    return s.SafeModePanel->isHidden();
}

// Locked, the guard runs every second and the pacer may not sleep; switched off without the
// password panel being answered, one more tick takes the panel away, and then it may.
TEST(SafeModes, ASetPasswordLocksWithinOneTickAndClosesTheGuardedWindowsUntilSwitchedOff)
{
    TestEnvironment env;
    env.windows->titles = {"Windows 任务管理器", "日期和时间 属性", "记事本"};
    SafeModes& s = env.Start<SafeModes>();
    FeatureContext& ctx = env.Host().Context();
    int replans = 0;
    ctx.SetReplanned([&] { ++replans; });
    const auto next = [&] { return ctx.NextTickSecond(ctx.Now()); };
    const auto nextSecond = [&] { return SecondOf(ctx.Now()) + 1; };
    env.Tick();
    EXPECT_FALSE(LockedView(env, s));
    EXPECT_TRUE(env.windows->closeRequests.isEmpty());
    EXPECT_EQ(next(), std::nullopt);

    SetPassword(s, "Secret 密码", "Secret 密码");
    EXPECT_GE(replans, 1);
    EXPECT_EQ(next(), nextSecond());
    EXPECT_TRUE(env.ui.calls.empty());
    EXPECT_TRUE(PasswordDigest::IsDigest(Stored(env, "Password")));
    EXPECT_TRUE(PasswordDigest::Matches(Stored(env, "Password"), "Secret 密码"));
    EXPECT_EQ(Stored(env, "SafeModeState"), "1");
    EXPECT_TRUE(s.PasswordMaskEdit->text().isEmpty()) << "no readable copy is kept";
    env.Tick();
    EXPECT_TRUE(LockedView(env, s));
    EXPECT_EQ(env.windows->closeRequests, QStringList({"Windows 任务管理器", "日期和时间 属性"}));

    s.CancelPasswodButtonClick();
    EXPECT_EQ(next(), nextSecond());
    env.Tick();
    EXPECT_FALSE(LockedView(env, s));
    EXPECT_EQ(next(), std::nullopt);
}

TEST(SafeModes, ADesktopThatCannotCloseWindowsStillLocksAndSaysTheGuardIsOff)
{
    TestEnvironment env;
    env.windows->closable = false;
    SafeModes& s = env.Start<SafeModes>();
    SetPassword(s, "pw", "pw");
    ASSERT_EQ(env.ui.Count("message"), 1);
    EXPECT_TRUE(env.ui.Texts("message")[0].contains("不允许关闭其他程序的窗口"));
    EXPECT_EQ(Stored(env, "SafeModeState"), "1");
    env.Tick();
    EXPECT_TRUE(LockedView(env, s));

    // A start with the lock stored says nothing: it was said when the lock was set.
    env.Restart();
    EXPECT_EQ(env.ui.Count("message"), 1);
}

TEST(SafeModes, EntriesThatDifferOrAreMissingStoreNothing)
{
    const struct {
        QString first, second, message;
    } rows[] = {
        {"abc", "abd", "你输入的密码不正确,请重新输入"},
        {"abc", "ABC", "你输入的密码不正确,请重新输入"},
        {"abc", "", "你输入的密码不正确,请重新输入"}, // would lock with no way out
        {"", "abc", "你输入的密码不正确,请重新输入"},
        {"", "", "请输入密码"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first.toStdString() + "/" + row.second.toStdString());
        TestEnvironment env;
        SafeModes& s = env.Start<SafeModes>();
        SetPassword(s, row.first, row.second);
        EXPECT_EQ(env.ui.Texts("message"), QStringList{row.message});
        EXPECT_FALSE(s.EnableSafeCheckBox->isChecked());
        EXPECT_TRUE(s.PasswordMaskEdit->text().isEmpty());
        EXPECT_TRUE(s.CheckPasswordMaskEdit->text().isEmpty());
        EXPECT_EQ(Stored(env, "Password"), "<absent>");
        env.Tick();
        EXPECT_FALSE(LockedView(env, s));
    }
}

TEST(SafeModes, WrongEntriesKeepTheLockTheRightOneLiftsItForThisRunAndCancelRemovesIt)
{
    TestEnvironment env;
    SafeModes& s = env.Start<SafeModes>();
    SetPassword(s, "Secret", "Secret");
    env.Tick();
    const QString stored = Stored(env, "Password");

    EXPECT_FALSE(Unlock(s, ""));
    EXPECT_FALSE(Unlock(s, "secret")); // letter case counts
    EXPECT_FALSE(Unlock(s, "Secret "));
    EXPECT_EQ(env.ui.Texts("message"),
              QStringList({"请输入密码", "密码输入错误,请重新输入", "密码输入错误,请重新输入"}));
    EXPECT_TRUE(s.SafeModePasswordMaskEdit->text().isEmpty());
    env.Tick();
    EXPECT_TRUE(LockedView(env, s));

    EXPECT_TRUE(Unlock(s, "Secret"));
    EXPECT_FALSE(LockedView(env, s));
    EXPECT_FALSE(s.EnableSafeCheckBox->isChecked());
    EXPECT_TRUE(env.Host().Context().RunCloseQuery()) << "lifted: no password to exit";
    EXPECT_EQ(env.ui.Count("input"), 0);
    env.windows->titles = {"Windows 任务管理器"};
    env.Tick();
    EXPECT_FALSE(LockedView(env, s));
    EXPECT_TRUE(env.windows->closeRequests.isEmpty());
    EXPECT_EQ(Stored(env, "Password"), stored);
    EXPECT_EQ(Stored(env, "SafeModeState"), "1");

    // The next start locks again, on its first tick, without filling the fields.
    env.Restart();
    SafeModes& again = env.Feature<SafeModes>();
    EXPECT_TRUE(again.PasswordMaskEdit->text().isEmpty());
    EXPECT_TRUE(again.CheckPasswordMaskEdit->text().isEmpty());
    env.Tick();
    EXPECT_TRUE(LockedView(env, again));
    ASSERT_TRUE(Unlock(again, "Secret"));

    // Cancelled after the unlock, the password is gone for the next start.
    again.CancelPasswodButton->click();
    EXPECT_EQ(env.ui.Texts("message").last(), "已取消密码保护");
    EXPECT_EQ(Stored(env, "Password"), "");
    EXPECT_EQ(Stored(env, "SafeModeState"), "0");
    env.ui.Clear();
    env.Restart();
    env.Tick();
    EXPECT_FALSE(LockedView(env, env.Feature<SafeModes>()));
    EXPECT_TRUE(env.ui.calls.empty());
    EXPECT_TRUE(env.Host().Context().RunCloseQuery());
}

TEST(SafeModes, ClosingWhileLockedAsksForThePassword)
{
    TestEnvironment env;
    SafeModes& s = env.Start<SafeModes>();
    EXPECT_TRUE(env.Host().Context().RunCloseQuery());
    EXPECT_EQ(env.ui.Count("input"), 0) << "no prompt without a lock";

    SetPassword(s, "Secret", "Secret");
    env.ui.inputAnswers = {std::nullopt, QString("secret"), QString("Secret")};
    EXPECT_FALSE(env.Host().Context().RunCloseQuery());
    EXPECT_FALSE(env.Host().Context().RunCloseQuery());
    EXPECT_EQ(env.ui.Texts("message"), QStringList{"输入的密码错误"});
    EXPECT_TRUE(env.Host().Context().RunCloseQuery());
    ASSERT_EQ(env.ui.Count("input"), 3);
    for (const auto& call : env.ui.calls)
        if (call.kind == "input") {
            EXPECT_EQ(call.title, "Ossory—多功能定时软件");
            EXPECT_EQ(call.text, "请输入退出密码:");
        }
}

// Settings of an older version: a stored lock without a password asks for one and stays
// open; a plain password still opens and is stored as a digest.
TEST(SafeModes, AStoredLockWithoutAPasswordStaysOpenAndAPlainPasswordBecomesADigest)
{
    TestEnvironment env;
    {
        SettingsFile seed(*env.platform.profile, env.SettingsPath());
        seed.WriteBool("SafeModes", "SafeModeState", true);
    }
    SafeModes& open = env.Start<SafeModes>();
    EXPECT_EQ(env.ui.Texts("message"), QStringList{"请输入密码"});
    env.Tick();
    EXPECT_FALSE(LockedView(env, open));
    EXPECT_EQ(Stored(env, "SafeModeState"), "1") << "the stored keys stay as they were";

    env.Stop();
    {
        SettingsFile seed(*env.platform.profile, env.SettingsPath());
        seed.WriteString("SafeModes", "Password", "Abc123");
    }
    SafeModes& s = env.Start<SafeModes>();
    env.Tick();
    EXPECT_TRUE(LockedView(env, s));
    EXPECT_TRUE(PasswordDigest::IsDigest(Stored(env, "Password")));
    EXPECT_FALSE(env.SettingsText().contains("Abc123"));
    EXPECT_FALSE(Unlock(s, "abc123"));
    EXPECT_TRUE(Unlock(s, "Abc123"));
}

} // namespace
