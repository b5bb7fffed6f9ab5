#include "gui/batch_tip.h"

#include <QMainWindow>
#include <QSystemTrayIcon>

namespace qm {

BatchTip::BatchTip(QMainWindow* window) : QObject(window), window_(window) {}

bool BatchTip::usesTrayIcon() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void BatchTip::show(const std::string& tip)
{
    text_ = QString::fromStdString(tip).left(kTrayTipLimit);
    if (!shown_)
        title_ = window_->windowTitle();
    shown_ = true;
    if (!usesTrayIcon()) {
        window_->setWindowTitle(text_);
        return;
    }
    if (!icon_) {
        icon_ = new QSystemTrayIcon(window_->windowIcon(), this);
        icon_->show();
    }
    icon_->setToolTip(text_);
}

void BatchTip::end()
{
    if (shown_ && !icon_)
        window_->setWindowTitle(title_);
    shown_ = false;
    if (icon_) {
        icon_->hide();
        icon_->deleteLater();
        icon_ = nullptr;
    }
}

} // namespace qm
