#include "gui/help_viewer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace qm {

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName("help viewer");
    setWindowTitle("Quillmar Help");
    browser_ = new QTextBrowser;
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    QSize size(820, 700);
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    resize(size);
}

void HelpViewer::showPage(const QString& path)
{
    browser_->setSource(QUrl::fromLocalFile(path));
    show();
    showNormal();
    raise();
    activateWindow();
}

} // namespace qm
