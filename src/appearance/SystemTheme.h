#pragma once

#include "appearance/ThemeRotation.h"
#include "core/ListFile.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class FeatureContext;
struct Waiting;
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
    //! The first day from which an exit changes theme and wallpaper; none when every exit
    //! changes them. The step at exit and the line in the view of what comes next go by it.
    std::optional<QDate> ChangeDueFrom() const;
    //! The line in the view of what comes next while a dated change waits for an exit.
    void ListWaiting(std::vector<Waiting>& out) const;
    void RotateThemes();
    void ApplyTheme(const QString& path);
    void ApplyWallpaper(int position);

    //! The file name without folder and extension; for a theme folder's index file
    //! (index.theme, metadata.json) the folder's name.
    static QString DisplayName(const QString& path);
    //! The order of the changes and the program's one generator.
    ThemeRotation Rotation;

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

    FeatureContext& ctx_;
    ListFile themesFile_;
    ListFile wallpapersFile_;
    bool loading_ = false;
    bool desktopWarned_ = false;
    bool themeWarned_ = false;
};
