#pragma once

#include "core/ListFile.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>

class FeatureContext;
struct LocalMoment;
struct UpcomingList;
namespace platform {
class Registry;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

//! The page "美化系统": lists of theme files and wallpapers, and at program exit one change of
//! theme and wallpaper, in list order or at random, at every exit or every N days.
class SystemTheme : public QObject {
    Q_OBJECT
public:
    explicit SystemTheme(FeatureContext& ctx);
    ~SystemTheme() override;

    QPushButton* SystemThemeButton = nullptr;
    QPushButton* ClearThemeButton = nullptr;
    QListWidget* SystemThemeListBox = nullptr;
    QPushButton* WallpaperButton = nullptr;
    QPushButton* ClearWallpaperButton = nullptr;
    QListWidget* SystemWallpaperListBox = nullptr;
    QLabel* Label14 = nullptr;
    QComboBox* ThemeChangeComboBox = nullptr;
    QLabel* Label15 = nullptr;
    QComboBox* SystemThemeDateComboBox = nullptr;
    QCheckBox* SystemThemeCheckBox = nullptr;
    QLabel* AccessWebSiteLabel = nullptr;

    QStringList ThemeList;
    QStringList WallpaperList;
    //! Sequential mode: the next position; random mode: how many random changes were made.
    std::int32_t ThemeIndex = 0;
    std::int32_t WallpaperIndex = 0;
    //! Set by each dated change; cleared when the user switches rotation on. A record only:
    //! it never holds back a change that is due.
    bool ThemeChangeState = false;
    QDate ThemeDate;
    int ChangeMode = 0; //!< in effect: 0 in list order, 1 at random
    int DateMode = 0;   //!< in effect: 0 at every exit, N every N days

    void SystemThemeButtonClick();
    void ClearThemeButtonClick();
    void SystemThemeListBoxDblClick();
    void WallpaperButtonClick();
    void ClearWallpaperButtonClick();
    void SystemWallpaperListBoxDblClick();
    void SystemThemeCheckBoxClick();
    void AccessWebSiteLabelClick();

    void LoadSystemTheme();
    void SaveSystemTheme();
    //! The step at exit, run only while rotation is on.
    void ChangeThemeOnExit();
    //! What comes next of this rule between `from` and `to`, from the values its check uses.
    void ListUpcoming(const LocalMoment& from, const LocalMoment& to, UpcomingList& out) const;
    void RotateThemes();
    void ApplyTheme(const QString& path);
    void ApplyWallpaper(int position);

    //! The file name without folder and extension; for a theme folder's index file
    //! (index.theme, metadata.json) the folder's name.
    static QString DisplayName(const QString& path);
    //! The next number below `n` of the program's one generator (seed 0 at each start).
    std::uint32_t Random(std::uint32_t n);
    //! Jumps the generator `count` draws ahead; the number below `n` of the last of them.
    std::uint32_t RandomAfter(std::uint32_t count, std::uint32_t n);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    platform::Registry& Registry() const;
    void BuildPage();
    void AddEntry(const QString& title, const QString& filter, const QString& folder,
                  const QString& fallbackFolder, QStringList& list, QListWidget* box,
                  ListFile& file);
    void Clear(QStringList& list, QListWidget* box, ListFile& file);
    void Preview(const QStringList& list, QListWidget* box);
    void LoadListFile(ListFile& file, QStringList& list, QListWidget* box);
    //! One position to change to, or -1 for an empty list; moves the counter.
    int NextPosition(std::int32_t& index, int length);

    FeatureContext& ctx_;
    ListFile themesFile_;
    ListFile wallpapersFile_;
    std::uint32_t seed_ = 0;
    bool loading_ = false;
    bool desktopWarned_ = false;
    bool themeWarned_ = false;
};
