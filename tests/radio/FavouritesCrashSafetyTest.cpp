#include "support/KilledRewrites.h"
#include "support/TestEnvironment.h"

#include "radio/RadioCatalogue.h"

#include <gtest/gtest.h>

#include <QFile>

#include <iostream>

namespace {

// Adding a station that is no favourite yet and deleting it again rewrite the shipped
// catalogue; a kill at any moment must leave it whole, with or without the favourite.
TEST(FavouritesKilledDuringWrite, LeaveExactlyTheOldOrTheNewCatalogue)
{
    TestEnvironment env;
    const QString file = env.ProgramDir() + QStringLiteral("NetRadio.dat");
    QDir().mkpath(env.ProgramDir());
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORLIN_SHIPPED_DIR "/NetRadio.dat"), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    platform::Profile& profile = *env.platform.profile;
    const std::u16string path = file.toStdU16String();
    const std::u16string section = RadioCatalogue::FavouritesSection().toStdU16String();
    const KilledRewrites r = KillDuringRewrites(
        file,
        [&](bool add) {
            const bool ok =
                add ? profile.writeString(path, section, u"经济之声",
                                          u"http://ngcdn002.cnr.cn/live/jjzs/index.m3u8")
                    : profile.deleteKey(path, section, u"经济之声");
            if (!ok)
                throw std::runtime_error("catalogue not written");
        },
        300);
    EXPECT_EQ(r.rounds, 300);
    EXPECT_EQ(r.broken, 0) << r.firstBroken.toStdString();
    EXPECT_GT(r.sawOld, 0);
    EXPECT_GT(r.sawNew, 0);
    EXPECT_GT(r.killedInside, r.rounds / 4) << "kills missed the writes";
    std::cout << r.Summary() << std::endl;
}

} // namespace
