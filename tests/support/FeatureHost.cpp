#include "FeatureHost.h"

#include <QVBoxLayout>

namespace {

FeatureContext::Pages MakePages(QWidget* window)
{
    FeatureContext::Pages pages{};
    for (QWidget*& page : pages) {
        page = new QWidget(window);
        new QVBoxLayout(page);
    }
    return pages;
}

} // namespace

FeatureHost::FeatureHost(platform::Platform& os, UiServices& ui, const QString& settingsPath,
                         const QString& programDir, const QString& dataDir)
    : window_(std::make_unique<QWidget>()), settings_(*os.profile, settingsPath), power_(os),
      tick_(ui)
{
    context_ = std::make_unique<FeatureContext>(os, ui, settings_, power_, tick_, window_.get(),
                                                MakePages(window_.get()), programDir, dataDir);
}

FeatureHost::~FeatureHost()
{
    context_->RunClose();
    features_.Clear();
}
