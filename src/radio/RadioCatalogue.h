#pragma once

#include <QMap>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QHBoxLayout;
class QMenu;
class QPoint;
class QPushButton;
class QTreeWidget;
class QVBoxLayout;
class FeatureContext;

//! The station catalogue "NetRadio.dat": one section per category, one "name=address"
//! entry per station, plus the user's favourites section. Shows it as a tree and keeps the
//! name-to-address table every player of a station looks names up in.
class RadioCatalogue {
public:
    //! Builds the radio page's row: the station tree on the left, `SideColumn` on the right
    //! for the player and the timings.
    explicit RadioCatalogue(FeatureContext& ctx);

    static QString FavouritesSection() { return QStringLiteral("我最喜爱的电台"); }
    QString CatalogueFile() const;

    QTreeWidget* RadioTreeView = nullptr;
    QMenu* RadioPopupMenu = nullptr;
    QAction* AddLikeRadio = nullptr;
    QAction* DeleteLikeRadio = nullptr;
    QAction* AddRadioTiming = nullptr;
    QPushButton* AddToLikeRadioButton = nullptr;
    QVBoxLayout* SideColumn = nullptr;

    //! Station name to stream address. Only ever grows while the program runs: the first
    //! address seen for a name is kept, so a station dropped from the file stays playable.
    QMap<QString, QString> RadioUrls;

    //! The other addresses a station is listed under (the same name in other categories),
    //! in file order: tried in turn when the first does not answer.
    QMap<QString, QStringList> Mirrors;

    //! The station the favourites commands act on; the player sets it.
    std::function<QString()> CurrentStation;
    //! Runs after every load of the catalogue (the favourites may have changed).
    std::function<void()> Reloaded;

    //! The address of a station, or nothing when the name is no station.
    std::optional<QString> StationUrl(const QString& name) const;
    //! The station's address followed by its mirrors; empty when the name is no station.
    QStringList StationAddresses(const QString& name) const;
    //! The favourite stations in the order the tree shows them.
    QStringList Favourites() const;

    void LoadRadioCatalogue();
    void AddLikeRadioClick();
    void AddToLikeRadioButtonClick();
    void DeleteLikeRadioClick();

private:
    void AddCurrentToFavourites();
    void ShowPopup(const QPoint& pos);

    FeatureContext& ctx_;
};
