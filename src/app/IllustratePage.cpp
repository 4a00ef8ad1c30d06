#include "app/IllustratePage.h"

#include "app/Artwork.h"
#include "core/FeatureContext.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

IllustratePage::IllustratePage(FeatureContext& ctx) : ctx_(ctx)
{
    QWidget* page = ctx.Page(PageId::Illustrate);

    Image1 = new QLabel(page);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Artwork::IllustratePicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("访问官方网站"));
    Image1->installEventFilter(this);
    ctx.AddToPage(PageId::Illustrate, Image1);

    auto* about =
        new QLabel(QStringLiteral("<p style='font-size:15px'><b>Quorlin 桌面助手</b></p>"
                                  "<p>开机后在托盘中静候，按时替您完成关机、闹钟、备忘录、报时、"
                                  "休息提醒、对时、清理、美化和网络电台等事务。</p>"),
                   page);
    about->setObjectName(QStringLiteral("AboutLabel"));
    about->setWordWrap(true);
    ctx.AddToPage(PageId::Illustrate, about);

    Label10 = new QLabel(QStringLiteral("本软件由 Quorlin 团队制作。如需定制功能，请联系 "
                                        "support@quorlin.app"),
                         page);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setWordWrap(true);
    ctx.AddToPage(PageId::Illustrate, Label10);

    Label11 = new QLabel(QStringLiteral("<a href='#'>作者博客：Quorlin 开发手记</a>"), page);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setCursor(Qt::PointingHandCursor);
    connect(Label11, &QLabel::linkActivated, this, [this] { Label11Click(); });
    ctx.AddToPage(PageId::Illustrate, Label11);

    auto* buttons = new QHBoxLayout;
    HelpButton = new QPushButton(QStringLiteral("查看功能指南"), page);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    AccessWebsiteButton = new QPushButton(QStringLiteral("进入Varnel官方网站"), page);
    AccessWebsiteButton->setObjectName(QStringLiteral("AccessWebsiteButton"));
    buttons->addStretch();
    buttons->addWidget(HelpButton);
    buttons->addWidget(AccessWebsiteButton);
    buttons->addStretch();
    ctx.AddToPage(PageId::Illustrate, buttons);
    connect(HelpButton, &QPushButton::clicked, this, [this] { HelpButtonClick(); });
    connect(AccessWebsiteButton, &QPushButton::clicked, this,
            [this] { AccessWebsiteButtonClick(); });
}

QString IllustratePage::WebsiteAddress()
{
    return QStringLiteral("https://quorlin.app/");
}

QString IllustratePage::BlogAddress()
{
    return QStringLiteral("https://quorlin.app/blog/");
}

QString IllustratePage::HelpFilePath(const QString& programDir)
{
    return programDir + QStringLiteral("使用指南.html");
}

void IllustratePage::HelpButtonClick()
{
    ctx_.ShellOpen(HelpFilePath(ctx_.ProgramDir()));
}

void IllustratePage::AccessWebsiteButtonClick()
{
    ctx_.ShellOpen(WebsiteAddress());
}

void IllustratePage::Image1Click()
{
    ctx_.ShellOpen(WebsiteAddress());
}

void IllustratePage::Label11Click()
{
    ctx_.ShellOpen(BlogAddress());
}

bool IllustratePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
