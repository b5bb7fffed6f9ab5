#pragma once
// The bundled help page in a window of the program's own, so help works
// without a web browser. Links inside the page are followed in place,
// links to the web go to the desktop's browser.
#include <QWidget>

class QTextBrowser;

namespace qm {

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* owner = nullptr);
    // Shows the page (an HTML file) and brings the window to the front.
    void showPage(const QString& path);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace qm
