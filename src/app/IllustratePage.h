#pragma once

#include <QObject>
#include <QString>

class FeatureContext;
class QLabel;
class QPushButton;

//! The page "说明": what the program does and who made it, with the ways to its guide, its
//! web site and its blog. Static text; every link goes through the desktop's "open".
class IllustratePage : public QObject {
    Q_OBJECT
public:
    explicit IllustratePage(FeatureContext& ctx);

    QLabel* Image1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* AccessWebsiteButton = nullptr;

    static QString WebsiteAddress();
    static QString BlogAddress();
    //! The guide shipped beside the program, in `programDir` (with its trailing '/').
    static QString HelpFilePath(const QString& programDir);

    void HelpButtonClick();
    void AccessWebsiteButtonClick();
    void Image1Click();
    void Label11Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FeatureContext& ctx_;
};
