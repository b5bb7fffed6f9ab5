#pragma once
// Progress of a batch packet: the tip of a notification-area icon when the
// desktop has one, else the title of the main window.
#include <QObject>

#include <string>

class QMainWindow;
class QSystemTrayIcon;

namespace qm {

inline constexpr int kTrayTipLimit = 64; // characters of a tip

class BatchTip : public QObject {
    Q_OBJECT
public:
    explicit BatchTip(QMainWindow* window);
    // Shows the tip (the icon appears with the first one).
    void show(const std::string& tip);
    // Removes the icon (or gives the window its title back).
    void end();
    bool usesTrayIcon() const;
    QString text() const { return text_; }

private:
    QMainWindow* window_;
    QSystemTrayIcon* icon_ = nullptr;
    QString text_;
    QString title_;      // the window title before the first tip
    bool shown_ = false;
};

} // namespace qm
