#include "radio/RadioCatalogue.h"

#include "core/FeatureContext.h"
#include "platform/AnsiCodePage.h"
#include "radio/RadioPlayback.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Values may be quoted in a hand-edited file; the quotes are not part of the address.
QString Unquoted(const QString& value)
{
    if (value.size() > 1 && value.front() == value.back() &&
        (value.front() == u'"' || value.front() == u'\''))
        return value.mid(1, value.size() - 2);
    return value;
}

// The common Chinese characters (the first level of GB2312) stand in that table in pinyin
// order, so a caption made of them and ASCII sorts by its GBK codes, ASCII letters folded.
// Returns an empty key for any other caption.
QByteArray PinyinKey(const QString& caption, const platform::AnsiCodePage& gbk)
{
    const std::string bytes = gbk.fromUtf16(caption.toStdU16String());
    QByteArray key;
    key.reserve(qsizetype(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            key += char(lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead);
            continue;
        }
        const auto trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (lead < 0xb0 || lead > 0xd7 || trail < 0xa1 || trail > 0xfe ||
            (lead == 0xd7 && trail > 0xf9))
            return {};
        key += char(lead);
        key += char(trail);
        ++i;
    }
    return key;
}

// Captions sort as on a Chinese desktop: by pinyin, digits and Latin letters first. The
// locale's collator costs a few MB of tables, so it is opened only for captions the GBK
// order cannot place, or when the code page is not GBK.
void SortByCaption(QList<QTreeWidgetItem*>& items, const platform::AnsiCodePage& ansi)
{
    if (ansi.fromUtf16(u"啊座") == "\xb0\xa1\xd7\xf9") {
        QList<std::pair<QByteArray, QTreeWidgetItem*>> keyed;
        keyed.reserve(items.size());
        for (QTreeWidgetItem* item : items) {
            QByteArray key = PinyinKey(item->text(0), ansi);
            if (key.isEmpty())
                break;
            keyed.append({std::move(key), item});
        }
        if (keyed.size() == items.size()) {
            std::stable_sort(keyed.begin(), keyed.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (qsizetype i = 0; i < items.size(); ++i)
                items[i] = keyed[i].second;
            return;
        }
    }
    const QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    const auto startsHan = [](const QString& s) {
        return !s.isEmpty() && s.front().script() == QChar::Script_Han;
    };
    std::stable_sort(items.begin(), items.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const QString& x = a->text(0);
        const QString& y = b->text(0);
        if (startsHan(x) != startsHan(y))
            return !startsHan(x);
        return collator.compare(x, y) < 0;
    });
}

} // namespace

RadioCatalogue::RadioCatalogue(FeatureContext& ctx) : ctx_(ctx)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    ctx.AddToPage(PageId::NetRadio, row, 1);
    ctx.OnLoad(LoadStep::RadioCatalogue, [this] { LoadRadioCatalogue(); });

    auto* group = new QGroupBox(QStringLiteral("电台列表"), ctx.Page(PageId::NetRadio));
    group->setObjectName(QStringLiteral("RadioListGroup"));
    auto* layout = new QVBoxLayout(group);

    RadioTreeView = new QTreeWidget(group);
    RadioTreeView->setObjectName(QStringLiteral("RadioTreeView"));
    RadioTreeView->setHeaderHidden(true);
    RadioTreeView->setColumnCount(1);
    RadioTreeView->setToolTip(QStringLiteral("右键添加到我最喜爱台电"));
    RadioTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RadioTreeView->setMouseTracking(true); // hot tracking
    RadioTreeView->setIndentation(16);
    RadioTreeView->setIconSize(QSize(16, 16));
    RadioTreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    RadioTreeView->setMinimumWidth(290);
    layout->addWidget(RadioTreeView, 1);

    AddToLikeRadioButton = new QPushButton(QStringLiteral("当前电台添加到我喜爱的"), group);
    AddToLikeRadioButton->setObjectName(QStringLiteral("AddToLikeRadioButton"));
    layout->addWidget(AddToLikeRadioButton);
    row->addWidget(group, 4);

    SideColumn = new QVBoxLayout;
    SideColumn->setSpacing(8);
    row->addLayout(SideColumn, 5);

    RadioPopupMenu = new QMenu(RadioTreeView);
    RadioPopupMenu->setObjectName(QStringLiteral("RadioPopupMenu"));
    AddLikeRadio = RadioPopupMenu->addAction(QStringLiteral("添加到我喜爱的电台"));
    AddLikeRadio->setObjectName(QStringLiteral("AddLikeRadio"));
    DeleteLikeRadio = RadioPopupMenu->addAction(QStringLiteral("删除我最爱的电台"));
    DeleteLikeRadio->setObjectName(QStringLiteral("DeleteLikeRadio"));
    AddRadioTiming = RadioPopupMenu->addAction(QStringLiteral("添加到定时项目"));
    AddRadioTiming->setObjectName(QStringLiteral("AddRadioTiming"));

    QObject::connect(RadioTreeView, &QTreeWidget::customContextMenuRequested, RadioTreeView,
                     [this](const QPoint& pos) { ShowPopup(pos); });
    // A category opens as soon as it is selected.
    QObject::connect(RadioTreeView, &QTreeWidget::currentItemChanged, RadioTreeView,
                     [](QTreeWidgetItem* current) {
                         if (current && current->childCount() > 0)
                             current->setExpanded(true);
                     });
    QObject::connect(AddLikeRadio, &QAction::triggered, RadioTreeView,
                     [this] { AddLikeRadioClick(); });
    QObject::connect(DeleteLikeRadio, &QAction::triggered, RadioTreeView,
                     [this] { DeleteLikeRadioClick(); });
    QObject::connect(AddToLikeRadioButton, &QPushButton::clicked, RadioTreeView,
                     [this] { AddToLikeRadioButtonClick(); });
}

QString RadioCatalogue::CatalogueFile() const
{
    // The user's copy, favourites and all; the shipped one only seeds it.
    return ctx_.DataDir() + QStringLiteral("NetRadio.dat");
}

std::optional<QString> RadioCatalogue::StationUrl(const QString& name) const
{
    const auto it = RadioUrls.constFind(name);
    if (it == RadioUrls.constEnd())
        return std::nullopt;
    return it.value();
}

QStringList RadioCatalogue::StationAddresses(const QString& name) const
{
    const std::optional<QString> url = StationUrl(name);
    if (!url)
        return {};
    return QStringList{*url} + Mirrors.value(name);
}

QStringList RadioCatalogue::Favourites() const
{
    const QString prefix = FavouritesSection() + u'(';
    for (int i = 0; i < RadioTreeView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* root = RadioTreeView->topLevelItem(i);
        if (!root->text(0).startsWith(prefix))
            continue;
        QStringList names;
        for (int c = 0; c < root->childCount(); ++c)
            names << root->child(c)->text(0);
        return names;
    }
    return {};
}

void RadioCatalogue::ShowPopup(const QPoint& pos)
{
    // A right click selects the node under the mouse; the commands still act on the
    // current station, not on that node.
    if (QTreeWidgetItem* item = RadioTreeView->itemAt(pos))
        RadioTreeView->setCurrentItem(item);
    RadioPopupMenu->popup(RadioTreeView->viewport()->mapToGlobal(pos));
}

void RadioCatalogue::LoadRadioCatalogue()
{
    RadioTreeView->clear();
    platform::Profile& profile = *ctx_.Os().profile;
    const std::u16string file = CatalogueFile().toStdU16String();
    const QIcon categoryIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon stationIcon = QApplication::style()->standardIcon(QStyle::SP_MediaVolume);

    QList<QTreeWidgetItem*> roots;
    QSet<QString> seenSections;
    for (const std::u16string& rawSection : profile.sectionNames(file)) {
        const QString section = QString::fromStdU16String(rawSection);
        // A repeated header reads as the first section of that name: list it once.
        if (seenSections.contains(section.toCaseFolded()))
            continue;
        seenSections.insert(section.toCaseFolded());

        QList<QTreeWidgetItem*> stations;
        for (const auto& [rawName, rawValue] : profile.sectionEntries(file, rawSection)) {
            const QString name = QString::fromStdU16String(rawName);
            const QString url = Unquoted(QString::fromStdU16String(rawValue)).left(2047);
            // Comments and lines without an address are no stations.
            if (name.isEmpty() || name.startsWith(u';') || url.isEmpty())
                continue;
            auto* item = new QTreeWidgetItem(QStringList(name));
            item->setIcon(0, stationIcon);
            item->setToolTip(0, name);
            stations << item;
            if (!RadioUrls.contains(name))
                RadioUrls.insert(name, url);
            else if (RadioUrls.value(name) != url && !Mirrors.value(name).contains(url))
                Mirrors[name] << url;
        }
        SortByCaption(stations, *ctx_.Os().ansi);
        auto* root = new QTreeWidgetItem(
            QStringList(QStringLiteral("%1(%2)").arg(section).arg(stations.size())));
        root->setIcon(0, categoryIcon);
        root->addChildren(stations);
        roots << root;
    }
    SortByCaption(roots, *ctx_.Os().ansi);
    RadioTreeView->addTopLevelItems(roots);
    if (Reloaded)
        Reloaded();
}

void RadioCatalogue::AddLikeRadioClick()
{
    ctx_.Guard([this] { AddCurrentToFavourites(); });
}

void RadioCatalogue::AddToLikeRadioButtonClick()
{
    ctx_.Guard([this] { AddCurrentToFavourites(); });
}

void RadioCatalogue::AddCurrentToFavourites()
{
    const QString name = CurrentStation ? CurrentStation() : QString();
    const std::optional<QString> url = StationUrl(name);
    if (!url) {
        ctx_.Ui().ShowMessage(QStringLiteral("请选择我最喜爱的电台"));
        return;
    }
    if (!ctx_.Os().profile->writeString(CatalogueFile().toStdU16String(),
                                        FavouritesSection().toStdU16String(), name.toStdU16String(),
                                        url->toStdU16String()))
        throw SettingsWriteError(CatalogueFile());
    LoadRadioCatalogue();
    ctx_.Ui().ShowMessage(QStringLiteral("添加我最喜爱的电台成功"));
}

void RadioCatalogue::DeleteLikeRadioClick()
{
    ctx_.Guard([this] {
        const QString name = CurrentStation ? CurrentStation() : QString();
        if (!StationUrl(name)) {
            ctx_.Ui().ShowMessage(QStringLiteral("请在你喜爱的电台里面选择要删除的数据"));
            return;
        }
        // Deleting a station that is no favourite changes nothing and is no failure; a file
        // that cannot be rewritten is one, and is not reported as a success.
        if (!ctx_.Os().profile->deleteKey(CatalogueFile().toStdU16String(),
                                          FavouritesSection().toStdU16String(),
                                          name.toStdU16String()))
            throw SettingsWriteError(CatalogueFile());
        LoadRadioCatalogue();
        ctx_.Ui().ShowMessage(QStringLiteral("删除我最喜爱的电台成功"));
    });
}
