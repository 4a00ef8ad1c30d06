#include "SystemTheme.h"

#include "appearance/ThemeRegistry.h"
#include "core/FeatureContext.h"
#include "core/ListFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

const QString kSection = QStringLiteral("SystemTheme");
// One path a line, spaces and all.
const ListFile::Layout kPathPerLine{1, ListFile::Rest::IntoLast, "\r\n"};

QString ExistingOr(const QString& folder, const QString& fallback)
{
    return QDir(folder).exists() ? folder : fallback;
}

QString PicturesOrHome()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
}

} // namespace

SystemTheme::SystemTheme(FeatureContext& ctx)
    : ctx_(ctx), themesFile_(*ctx.Os().ansi, ctx.Ui(), ctx.DataDir() + "Themes",
                             QStringLiteral("主题列表文件"), kPathPerLine),
      wallpapersFile_(*ctx.Os().ansi, ctx.Ui(), ctx.DataDir() + "Wallpapers",
                      QStringLiteral("壁纸列表文件"), kPathPerLine)
{
    ThemeDate = ctx_.Now().date;
    BuildPage();
    ctx_.OnLoad(LoadStep::SystemTheme, [this] { LoadSystemTheme(); });
    // The change comes at an exit, not at a time: the view shows it as waiting.
    ctx_.OnWaiting([this](std::vector<Waiting>& out) { ListWaiting(out); });
    // After the exit password; a change that fails is reported and the program still exits.
    ctx_.OnCloseQuery(CloseQueryStep::ChangeThemeOnExit, [this] {
        if (SystemThemeCheckBox->isChecked())
            ctx_.Guard([this] { ChangeThemeOnExit(); });
        return true;
    });
}

SystemTheme::~SystemTheme() = default;

void SystemTheme::BuildPage()
{
    QWidget* page = ctx_.Page(PageId::SystemTheme);
    auto listGroup = [&](const QString& title, const QString& name, QPushButton*& add,
                         const QString& addText, const QString& addName, QPushButton*& clear,
                         const QString& clearName, QListWidget*& box, const QString& boxName,
                         const QString& hint) {
        auto* group = new QGroupBox(title, page);
        group->setObjectName(name);
        auto* layout = new QVBoxLayout(group);
        auto* buttons = new QHBoxLayout;
        add = new QPushButton(addText, group);
        add->setObjectName(addName);
        clear = new QPushButton(QStringLiteral("移除全部主题"), group);
        clear->setObjectName(clearName);
        buttons->addWidget(add);
        buttons->addWidget(clear);
        buttons->addStretch();
        box = new QListWidget(group);
        box->setObjectName(boxName);
        box->setToolTip(hint);
        box->setSelectionMode(QAbstractItemView::SingleSelection);
        layout->addLayout(buttons);
        layout->addWidget(box);
        return group;
    };
    auto* lists = new QHBoxLayout;
    lists->addWidget(listGroup(QStringLiteral("主题"), "SystemThemeGroupBox", SystemThemeButton,
                               QStringLiteral("添加主题"), "SystemThemeButton", ClearThemeButton,
                               "ClearThemeButton", SystemThemeListBox, "SystemThemeListBox",
                               QStringLiteral("双击主题名字可以预览效果")));
    lists->addWidget(listGroup(QStringLiteral("壁纸"), "SystemWallpaperGroupBox", WallpaperButton,
                               QStringLiteral("添加壁纸"), "WallpaperButton", ClearWallpaperButton,
                               "ClearWallpaperButton", SystemWallpaperListBox,
                               "SystemWallpaperListBox", QStringLiteral("双击壁纸名字可以预览")));
    ctx_.AddToPage(PageId::SystemTheme, lists, 1);

    auto* group = new QGroupBox(QStringLiteral("自动更换"), page);
    group->setObjectName("SystemThemeModeGroupBox");
    auto* grid = new QGridLayout(group);
    Label14 = new QLabel(QStringLiteral("选择更换模式："), group);
    Label14->setObjectName("Label14");
    ThemeChangeComboBox = new QComboBox(group);
    ThemeChangeComboBox->setObjectName("ThemeChangeComboBox");
    ThemeChangeComboBox->addItems({QStringLiteral("顺序更换"), QStringLiteral("随机更换")});
    Label15 = new QLabel(QStringLiteral("选择更换日期："), group);
    Label15->setObjectName("Label15");
    SystemThemeDateComboBox = new QComboBox(group);
    SystemThemeDateComboBox->setObjectName("SystemThemeDateComboBox");
    SystemThemeDateComboBox->addItems({QStringLiteral("每次开机"), QStringLiteral("每天更换"),
                                       QStringLiteral("每隔一天"), QStringLiteral("每隔二天"),
                                       QStringLiteral("每隔三天"), QStringLiteral("每隔四天"),
                                       QStringLiteral("每隔五天"), QStringLiteral("每隔六天")});
    SystemThemeCheckBox = new QCheckBox(QStringLiteral("启用主题自动更换"), group);
    SystemThemeCheckBox->setObjectName("SystemThemeCheckBox");
    AccessWebSiteLabel =
        new QLabel(QStringLiteral("为了不出现任何问题，请你使用官方的主题包"), group);
    AccessWebSiteLabel->setObjectName("AccessWebSiteLabel");
    AccessWebSiteLabel->setStyleSheet("color: red; font-weight: bold; text-decoration: underline;");
    AccessWebSiteLabel->setCursor(Qt::PointingHandCursor);
    AccessWebSiteLabel->installEventFilter(this);
    grid->addWidget(Label14, 0, 0);
    grid->addWidget(ThemeChangeComboBox, 0, 1);
    grid->addWidget(Label15, 0, 2);
    grid->addWidget(SystemThemeDateComboBox, 0, 3);
    grid->addWidget(SystemThemeCheckBox, 0, 4);
    grid->setColumnStretch(5, 1);
    grid->addWidget(AccessWebSiteLabel, 1, 0, 1, 6);
    ctx_.AddToPage(PageId::SystemTheme, group);

    auto guarded = [this](void (SystemTheme::*handler)()) {
        return [this, handler] { ctx_.Guard([&] { (this->*handler)(); }); };
    };
    connect(SystemThemeButton, &QPushButton::clicked, this,
            guarded(&SystemTheme::SystemThemeButtonClick));
    connect(ClearThemeButton, &QPushButton::clicked, this,
            guarded(&SystemTheme::ClearThemeButtonClick));
    connect(WallpaperButton, &QPushButton::clicked, this,
            guarded(&SystemTheme::WallpaperButtonClick));
    connect(ClearWallpaperButton, &QPushButton::clicked, this,
            guarded(&SystemTheme::ClearWallpaperButtonClick));
    connect(SystemThemeListBox, &QListWidget::itemDoubleClicked, this,
            guarded(&SystemTheme::SystemThemeListBoxDblClick));
    connect(SystemWallpaperListBox, &QListWidget::itemDoubleClicked, this,
            guarded(&SystemTheme::SystemWallpaperListBoxDblClick));
    connect(SystemThemeCheckBox, &QCheckBox::toggled, this,
            guarded(&SystemTheme::SystemThemeCheckBoxClick));
}

bool SystemTheme::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == AccessWebSiteLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        ctx_.Guard([this] { AccessWebSiteLabelClick(); });
    return QObject::eventFilter(watched, event);
}

QString SystemTheme::DisplayName(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf('\\'), path.lastIndexOf('/'));
    QString name = path.mid(slash + 1);
    // Every theme folder of a Linux desktop has a file of the same name: its folder names it.
    if (slash > 0 &&
        (name == u"index.theme" || name == u"metadata.json" || name == u"metadata.desktop"))
        return DisplayName(path.left(slash));
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name.truncate(dot);
    return name;
}

// --- lists -------------------------------------------------------------------------------

void SystemTheme::AddEntry(const QString& title, const QString& filter, const QString& folder,
                           const QString& fallbackFolder, QStringList& list, QListWidget* box,
                           ListFile& file)
{
    const auto chosen = ctx_.Ui().OpenFile(title, filter, ExistingOr(folder, fallbackFolder));
    if (!chosen)
        return;
    const QString entry = QDir::toNativeSeparators(*chosen);
    // Shown only once it is in the file, so the list never shows what the next start loses.
    if (!file.Append({entry}, QStringLiteral("没有添加“%1”。").arg(DisplayName(entry))))
        return;
    list << entry;
    box->addItem(DisplayName(entry));
}

void SystemTheme::SystemThemeButtonClick()
{
    if (ctx_.Os().desktopTheme) {
        // A Linux desktop's theme is a folder; its index file (or a KDE scheme) stands for it.
        AddEntry(QStringLiteral("请选择要自动更换的主题"),
                 QStringLiteral("桌面主题|index.theme;*.colors;metadata.json;metadata.desktop|"
                                "所有文件|*.*"),
                 QStringLiteral("/usr/share/themes"), QDir::homePath(), ThemeList,
                 SystemThemeListBox, themesFile_);
        return;
    }
    AddEntry(QStringLiteral("请选择要自动更换的主题"), QStringLiteral("*.theme | *.theme"),
             QStringLiteral("C:\\WINDOWS\\Resources\\Themes"), QDir::homePath(), ThemeList,
             SystemThemeListBox, themesFile_);
}

void SystemTheme::WallpaperButtonClick()
{
    AddEntry(QStringLiteral("请选择壁纸"),
             QStringLiteral("*.jpg|*.jpg|*.bmp|*.bmp|*.jpeg|*.jpeg|*.*|*.*"),
             QStringLiteral("D:\\"), PicturesOrHome(), WallpaperList, SystemWallpaperListBox,
             wallpapersFile_);
}

void SystemTheme::Clear(QStringList& list, QListWidget* box, ListFile& file)
{
    if (!file.Rewrite({}, QStringLiteral("列表没有清空。")))
        return;
    box->clear();
    list.clear();
}

void SystemTheme::ClearThemeButtonClick()
{
    Clear(ThemeList, SystemThemeListBox, themesFile_);
}

void SystemTheme::ClearWallpaperButtonClick()
{
    Clear(WallpaperList, SystemWallpaperListBox, wallpapersFile_);
}

void SystemTheme::Preview(const QStringList& list, QListWidget* box)
{
    const int row = box->currentRow();
    if (row >= 0 && row < list.size() && box->currentItem() && box->currentItem()->isSelected())
        ctx_.ShellOpen(list.at(row));
}

void SystemTheme::SystemThemeListBoxDblClick()
{
    Preview(ThemeList, SystemThemeListBox);
}

void SystemTheme::SystemWallpaperListBoxDblClick()
{
    Preview(WallpaperList, SystemWallpaperListBox);
}

void SystemTheme::AccessWebSiteLabelClick()
{
    ctx_.ShellOpen(QStringLiteral("https://quorlin.app/"));
}

void SystemTheme::LoadListFile(ListFile& file, QStringList& list, QListWidget* box)
{
    const auto records = file.Read(QStringLiteral("列表未能载入。"));
    if (!records)
        return;
    for (const ListFile::Record& record : *records) {
        if (record.value(0).isEmpty())
            continue;
        list << record.value(0);
        box->addItem(DisplayName(record.value(0)));
    }
}

// --- settings ----------------------------------------------------------------------------

void SystemTheme::LoadSystemTheme()
{
    SettingsFile& s = ctx_.Settings();
    loading_ = true;
    const auto reset = qScopeGuard([this] { loading_ = false; });
    ThemeDate = s.ReadDate(kSection, "ThemeDate", ctx_.Now().date);
    ThemeChangeComboBox->setCurrentIndex(s.ReadInteger(kSection, "ThemeChangeMode", 0));
    SystemThemeDateComboBox->setCurrentIndex(s.ReadInteger(kSection, "ThemeChangeDateMode", 0));
    ThemeChangeState = s.ReadBool(kSection, "ThemeChangeState", false);
    ThemeIndex = s.ReadInteger(kSection, "ThemeIndex", 0);
    WallpaperIndex = s.ReadInteger(kSection, "WallpaperIndex", 0);
    LoadListFile(themesFile_, ThemeList, SystemThemeListBox);
    LoadListFile(wallpapersFile_, WallpaperList, SystemWallpaperListBox);
    SystemThemeCheckBox->setChecked(s.ReadBool(kSection, "SystemThemeState", false));
}

void SystemTheme::SaveSystemTheme()
{
    SettingsFile& s = ctx_.Settings();
    s.WriteInteger(kSection, "ThemeIndex", ThemeIndex);
    s.WriteInteger(kSection, "WallpaperIndex", WallpaperIndex);
    s.WriteBool(kSection, "ThemeChangeState", ThemeChangeState);
    s.WriteDate(kSection, "ThemeDate", ThemeDate);
    s.WriteInteger(kSection, "ThemeChangeMode", ChangeMode);
    s.WriteInteger(kSection, "ThemeChangeDateMode", DateMode);
    s.WriteBool(kSection, "SystemThemeState", SystemThemeCheckBox->isChecked());
}

void SystemTheme::SystemThemeCheckBoxClick()
{
    if (SystemThemeCheckBox->isChecked()) {
        // A stored index the list does not have leaves the box empty (-1): no change mode.
        ChangeMode = ThemeChangeComboBox->currentIndex();
        DateMode = SystemThemeDateComboBox->currentIndex();
        if (!loading_)
            ThemeChangeState = false;
        ThemeChangeComboBox->setEnabled(false);
        SystemThemeDateComboBox->setEnabled(false);
        SaveSystemTheme();
    } else {
        SaveSystemTheme();
        ThemeChangeComboBox->setEnabled(true);
        SystemThemeDateComboBox->setEnabled(true);
    }
}

// --- the change at exit --------------------------------------------------------------------

std::optional<QDate> SystemTheme::ChangeDueFrom() const
{
    if (DateMode == 0)
        return std::nullopt;
    return ThemeDate;
}

void SystemTheme::ChangeThemeOnExit()
{
    const std::optional<QDate> from = ChangeDueFrom();
    if (!from) {
        RotateThemes();
    } else {
        // Due on or after ThemeDate, however late the exit; the flag only records the change.
        const QDate today = ctx_.Now().date;
        if (today >= *from) {
            ThemeDate = today.addDays(DateMode);
            ThemeChangeState = true;
            RotateThemes();
        }
    }
    SaveSystemTheme();
}

void SystemTheme::RotateThemes()
{
    if (!ThemeRotation::Known(ChangeMode))
        return;
    if (const int i = Rotation.Pick(ChangeMode, ThemeIndex, int(ThemeList.size())); i >= 0) {
        ApplyTheme(ThemeList.at(i));
        ThemeRotation::Taken(ChangeMode, ThemeIndex);
    }
    if (const int i = Rotation.Pick(ChangeMode, WallpaperIndex, int(WallpaperList.size()));
        i >= 0) {
        ApplyWallpaper(i);
        ThemeRotation::Taken(ChangeMode, WallpaperIndex);
    }
}

platform::Registry& SystemTheme::Registry() const
{
    if (!ctx_.Os().registry)
        throw std::runtime_error("此系统没有可写的用户设置，无法更换主题和壁纸");
    return *ctx_.Os().registry;
}

void SystemTheme::ApplyTheme(const QString& path)
{
    if (platform::DesktopTheme* desktop = ctx_.Os().desktopTheme.get()) {
        const auto outcome = desktop->apply(path.toStdU16String());
        ctx_.Log(QStringLiteral("美化系统"), QStringLiteral("更换主题 ") + path,
                 outcome.applied ? QStringLiteral("成功") : QStringLiteral("失败"));
        if (outcome.applied || themeWarned_)
            return;
        themeWarned_ = true;
        ctx_.Ui().ShowMessage(
            QStringLiteral("主题“%1”没有应用到桌面：%2")
                .arg(DisplayName(path), QString::fromStdU16String(outcome.reason)));
        return;
    }
    appearance::ApplyTheme(Registry(), path.toStdU16String());
    ctx_.Log(QStringLiteral("美化系统"), QStringLiteral("更换主题 ") + path,
             QStringLiteral("成功"));
}

void SystemTheme::ApplyWallpaper(int position)
{
    const QString picture = WallpaperList.at(position);
    appearance::ApplyWallpaper(Registry(), picture.toStdU16String());
    platform::Wallpaper* desktop = ctx_.Os().wallpaper.get();
    if (!desktop) {
        ctx_.Log(QStringLiteral("美化系统"), QStringLiteral("更换壁纸 ") + picture,
                 QStringLiteral("已记录"));
        return;
    }
    const auto result = desktop->apply(picture.toStdU16String());
    ctx_.Log(QStringLiteral("美化系统"), QStringLiteral("更换壁纸 ") + picture,
             result == platform::Wallpaper::Result::Applied ? QStringLiteral("成功")
             : result == platform::Wallpaper::Result::Unsupported
                 ? QStringLiteral("已记录,桌面不支持")
                 : QStringLiteral("失败"));
    if (result == platform::Wallpaper::Result::Applied || desktopWarned_)
        return;
    desktopWarned_ = true;
    const QString name = QString::fromStdU16String(desktop->desktop());
    const QString shown = name.isEmpty() ? QStringLiteral("未知桌面") : name;
    ctx_.Ui().ShowMessage(
        result == platform::Wallpaper::Result::Unsupported
            ? QStringLiteral(
                  "不知道如何为当前桌面（%1）更换壁纸，新壁纸已记录，但桌面背景不会改变。")
                  .arg(shown)
            : QStringLiteral("当前桌面（%1）未能换上新壁纸：%2").arg(shown, picture));
}

void SystemTheme::ListWaiting(std::vector<Waiting>& out) const
{
    // Only a dated change has a day to show; it waits for the first exit from that day on.
    const std::optional<QDate> from = ChangeDueFrom();
    if (!SystemThemeCheckBox->isChecked() || !from || DateMode < 0)
        return;
    out.push_back({QStringLiteral("美化系统"),
                   QStringLiteral("%1 起第一次退出程序时更换主题和壁纸").arg(DateText(*from))});
}
