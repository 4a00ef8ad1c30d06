#pragma once

#include "platform/DesktopTheme.h"

#include <QString>
#include <QStringList>

namespace platform {

//! Themes on the Linux desktops, through each desktop's own settings: GSettings on GNOME,
//! Budgie, Cinnamon and MATE, xfconf-query on Xfce, Plasma's tools on KDE. A theme is named
//! by its folder, so it must lie where the desktop looks for themes of its kind.
class LinuxDesktopTheme : public DesktopTheme {
public:
    enum class Kind {
        NotATheme,
        Gtk,            //!< themes/NAME/index.theme with a gtk-2.0/3.0/4.0 folder
        WindowManager,  //!< themes/NAME/index.theme with only an xfwm4 folder
        Icons,          //!< icons/NAME/index.theme with [Icon Theme] and Directories
        Cursors,        //!< icons/NAME/index.theme with a cursors folder and no Directories
        KdeColours,     //!< color-schemes/NAME.colors
        KdeLookAndFeel, //!< plasma/look-and-feel/ID/metadata.json (or .desktop)
    };
    struct Theme {
        Kind kind = Kind::NotATheme;
        QString name;            //!< what the desktop's setting holds
        bool xfwm4Theme = false; //!< the folder also themes Xfce's window frames
    };

    //! What `file` is, from its name, its folder and the groups of an index.theme.
    static Theme Classify(const QString& file);
    //! The folders the desktops search for a theme of `kind`, from HOME and the XDG folders.
    static QStringList SearchFolders(Kind kind);

    Outcome apply(const std::u16string& themeFile) override;
    std::u16string desktop() const override;
};

} // namespace platform
