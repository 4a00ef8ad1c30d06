#include "programs/PasswordDigest.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>

namespace {

TEST(PasswordDigestTest, DigestHasItsFormAndAFreshSaltEachTime)
{
    const QString a = PasswordDigest::Make("密码 Secret1");
    const QString b = PasswordDigest::Make("密码 Secret1");
    const QStringList parts = a.split('$');
    ASSERT_EQ(parts.size(), 4) << a.toStdString();
    EXPECT_EQ(parts[0], "pbkdf2-sha256");
    EXPECT_EQ(parts[1].toInt(), PasswordDigest::Iterations);
    EXPECT_EQ(QByteArray::fromBase64(parts[2].toLatin1()).size(), 16);
    EXPECT_EQ(QByteArray::fromBase64(parts[3].toLatin1()).size(), 32);
    EXPECT_NE(a, b);
    EXPECT_FALSE(a.contains("Secret1"));
    EXPECT_TRUE(PasswordDigest::IsDigest(a));
    EXPECT_FALSE(PasswordDigest::IsDigest("Secret1"));
    EXPECT_EQ(PasswordDigest::Make(""), "");
}

TEST(PasswordDigestTest, MatchesOnlyTheExactPassword)
{
    const QString digest = PasswordDigest::Make("密码 Secret1", 50);
    const QString cheap = "pbkdf2-sha256$50$";
    const struct {
        QString stored;
        QString entry;
        bool matches;
    } rows[] = {
        {digest, "密码 Secret1", true},
        {digest, "密码 secret1", false}, // letter case counts
        {digest, "密码 Secret", false},
        {digest, "密码 Secret1 ", false},
        {digest, "", false},
        {"Secret1", "Secret1", true}, // a plain password of an older file
        {"Secret1", "secret1", false},
        {"Secret1", "", false},
        {"", "", false},
        {"", "Secret1", false},
        // Damaged digests open nothing, and a huge count is not computed.
        {digest.left(digest.size() - 4), "密码 Secret1", false},
        {cheap + "$$", "密码 Secret1", false},
        {"pbkdf2-sha256$x$AAAA$AAAA", "x", false},
        {"pbkdf2-sha256$2000000000$AAAAAAAAAAAAAAAAAAAAAA==$" + digest.split('$')[3], "x", false},
        {"pbkdf2-sha256", "pbkdf2-sha256", true}, // no '$': an old plain password
    };
    for (const auto& row : rows)
        EXPECT_EQ(PasswordDigest::Matches(row.stored, row.entry), row.matches)
            << row.stored.toStdString() << " / " << row.entry.toStdString();
}

} // namespace
