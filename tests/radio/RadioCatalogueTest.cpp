#include "RadioTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QPushButton>

namespace {

using namespace radio_test;

TEST(RadioCatalogue, TreeListsEveryCategoryWithItsCountAndSortedStations)
{
    TestEnvironment env;
    env.WriteProgramFile("NetRadio.dat", "[音乐]\nZulu=http://z\nAlpha=http://a\n"
                                         "; a comment line\nNoAddress=\n"
                                         "[空分类]\n[ABC]\n北京=http://bj\n安徽=http://ah\n");
    RadioCatalogue& catalogue = *env.Start<Pages::Radio>().RadioStations;
    QTreeWidget* tree = catalogue.RadioTreeView;
    EXPECT_EQ(RootCaptions(tree), QStringList({"ABC(2)", "空分类(0)", "音乐(2)"}));
    EXPECT_EQ(tree->topLevelItem(1)->childCount(), 0);
    // Pinyin order: an (安徽) before bei (北京).
    EXPECT_EQ(ChildCaptions(tree->topLevelItem(0)), QStringList({"安徽", "北京"}));
    EXPECT_EQ(ChildCaptions(tree->topLevelItem(2)), QStringList({"Alpha", "Zulu"}));
    EXPECT_FALSE(catalogue.StationUrl("NoAddress"));
}

TEST(RadioCatalogue, NoFileGivesAnEmptyTreeAndPinyinOrderHoldsForAllCharacters)
{
    TestEnvironment env;
    RadioCatalogue& none = *env.Start<Pages::Radio>().RadioStations;
    EXPECT_EQ(none.RadioTreeView->topLevelItemCount(), 0);
    EXPECT_TRUE(none.RadioUrls.isEmpty());
    EXPECT_EQ(env.ui.calls.size(), 0u);

    // Only common characters and ASCII: case folded, digits first.
    env.WriteProgramFile("NetRadio.dat", "[A]\n中国之声=http://1\nZulu=http://2\n"
                                         "alpha=http://3\n9频道=http://4\n北京=http://5\n");
    env.Restart();
    QTreeWidget* tree = env.View().RadioStations->RadioTreeView;
    EXPECT_EQ(ChildCaptions(tree->topLevelItem(0)),
              QStringList({"9频道", "alpha", "Zulu", "北京", "中国之声"}));

    // A character outside the common table (臺, traditional) still sorts by its pinyin.
    env.WriteProgramFile("NetRadio.dat", "[A]\n臺灣之音=http://1\n北京=http://2\n"
                                         "Zulu=http://3\n中国之声=http://4\n");
    env.Restart();
    tree = env.View().RadioStations->RadioTreeView;
    EXPECT_EQ(ChildCaptions(tree->topLevelItem(0)),
              QStringList({"Zulu", "北京", "臺灣之音", "中国之声"}));

    // The shipped catalogue comes out as the locale's collator orders it.
    QFile::remove(env.ProgramDir() + "NetRadio.dat");
    ASSERT_TRUE(
        QFile::copy(QUORLIN_SHIPPED_DIR "/NetRadio.dat", env.ProgramDir() + "NetRadio.dat"));
    env.Restart();
    tree = env.View().RadioStations->RadioTreeView;
    ASSERT_GT(tree->topLevelItemCount(), 3);
    const QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QStringList captions = ChildCaptions(tree->topLevelItem(i));
        const QStringList shown = captions;
        std::stable_sort(captions.begin(), captions.end(), [&](const QString& a, const QString& b) {
            const bool hanA = a.front().script() == QChar::Script_Han;
            const bool hanB = b.front().script() == QChar::Script_Han;
            return hanA != hanB ? !hanA : collator.compare(a, b) < 0;
        });
        EXPECT_EQ(shown, captions);
    }
}

TEST(RadioCatalogue, FirstAddressOfANameWinsAndOnlyTheFirstEqualsSignSeparates)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env);
    RadioCatalogue& catalogue = *form.RadioStations;
    EXPECT_EQ(catalogue.StationUrl("Beta").value_or(""), "http://b.example/s?x=1&y=2");
    EXPECT_EQ(catalogue.StationUrl("Alpha").value_or(""), "http://a.example/live");
    EXPECT_EQ(ChildCaptions(FindNode(catalogue.RadioTreeView, "新闻(2)")),
              QStringList({"Alpha", "Gamma"}));

    // Playing Alpha from the second category still uses the first address.
    QTreeWidgetItem* news = FindNode(catalogue.RadioTreeView, "新闻(2)");
    catalogue.RadioTreeView->setCurrentItem(news->child(0));
    emit catalogue.RadioTreeView->itemDoubleClicked(news->child(0), 0);
    EXPECT_EQ(env.radio.Sent().last(), "0:http://a.example/live");
}

// Without a current station both commands refuse and leave the file alone; with one, a file
// that cannot be written is reported and no success shown.
TEST(RadioCatalogue, WithoutAStationOrAWritableFileTheCommandsSaySoAndShowNoSuccess)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env);
    form.RadioStations->AddLikeRadio->trigger();
    form.RadioStations->DeleteLikeRadio->trigger();
    // A category caption is no station either.
    DoubleClick(form, "音乐(2)");
    form.RadioStations->AddToLikeRadioButton->click();
    EXPECT_EQ(env.ui.Texts("message"),
              QStringList({"请选择我最喜爱的电台", "请在你喜爱的电台里面选择要删除的数据",
                           "请选择我最喜爱的电台"}));
    EXPECT_EQ(env.ReadProgramFile("NetRadio.dat"), QString(kCatalogue).replace("\n", "\r\n"));

    env.ui.Clear();
    DoubleClick(form, "Gamma");
    // The file turns into a folder: no write can replace it.
    QFile::remove(env.ProgramDir() + "NetRadio.dat");
    QDir().mkpath(env.ProgramDir() + "NetRadio.dat");

    form.RadioStations->AddLikeRadio->trigger();
    form.RadioStations->DeleteLikeRadio->trigger();
    const QString expected = "Unable to write to " + env.ProgramDir() + "NetRadio.dat";
    EXPECT_EQ(env.ui.Texts("error"), QStringList({expected, expected}));
    EXPECT_EQ(env.ui.Count("message"), 0);
    // The tree was not rebuilt from the unreadable file.
    EXPECT_EQ(form.RadioStations->RadioTreeView->topLevelItemCount(), 3);
}

// Adding the current station twice keeps one favourite; deleting a station that is none changes
// nothing, and deleting the last one keeps an empty section.
TEST(RadioCatalogue, FavouritesAreKeptOnceAndTheirSectionStaysWhenEmptied)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env);
    DoubleClick(form, "Gamma");
    // The popup acts on the current station, not on the node under the mouse.
    form.RadioStations->RadioTreeView->setCurrentItem(
        FindNode(form.RadioStations->RadioTreeView, "Beta"));
    form.RadioStations->AddLikeRadio->trigger();
    form.RadioStations->AddToLikeRadioButton->click();
    const QString file = env.ReadProgramFile("NetRadio.dat");
    EXPECT_EQ(file.count("Gamma="), 2); // the news entry and one favourite
    EXPECT_TRUE(file.endsWith("[我最喜爱的电台]\r\nGamma=http://g.example/g.mp3\r\n"));
    QTreeWidgetItem* favourites = FindNode(form.RadioStations->RadioTreeView, "我最喜爱的电台(1)");
    ASSERT_NE(favourites, nullptr);
    EXPECT_EQ(ChildCaptions(favourites), QStringList({"Gamma"}));

    DoubleClick(form, "Beta");
    form.RadioStations->DeleteLikeRadio->trigger();
    EXPECT_EQ(env.ReadProgramFile("NetRadio.dat"), file);

    DoubleClick(form, "Gamma");
    form.RadioStations->DeleteLikeRadio->trigger();
    EXPECT_EQ(env.ui.Texts("message"),
              QStringList({"添加我最喜爱的电台成功", "添加我最喜爱的电台成功",
                           "删除我最喜爱的电台成功", "删除我最喜爱的电台成功"}));
    EXPECT_TRUE(env.ReadProgramFile("NetRadio.dat").endsWith("[我最喜爱的电台]\r\n"));
    EXPECT_NE(FindNode(form.RadioStations->RadioTreeView, "我最喜爱的电台(0)"), nullptr);
    // The deleted favourite stays playable for the rest of the run.
    EXPECT_TRUE(form.RadioStations->StationUrl("Gamma"));
}

} // namespace
