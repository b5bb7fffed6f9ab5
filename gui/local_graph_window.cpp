#include "gui/local_graph_window.h"

#include "app/atomic_file.h"
#include "app/file_set_writer.h"
#include "gui/qt_canvas.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kWidth = 400, kHeight = 300;
constexpr int kHide = 177; // the Local Graph switch

// The picture: paints the core's graph and forwards the mouse to it.
class LocalGraphSurface : public QWidget {
public:
    LocalGraphSurface(LocalGraph& g, std::function<void()> changed, QWidget* parent)
        : QWidget(parent), g_(g), changed_(std::move(changed))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        {
            QtCanvas canvas(p, width(), height());
            g_.paint(canvas, {0, 0, width(), height()});
        } // the canvas draws its last path here
        if (const auto r = g_.dragRect())
            p.fillRect(QRect(r->left, r->top, r->width(), r->height()), QColor(0, 0, 0, 60));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const QPoint at = e->position().toPoint();
        if (e->button() == Qt::LeftButton)
            g_.leftPress(at.x(), at.y());
        else if (e->button() == Qt::RightButton)
            g_.rightPress(at.x());
        changed_();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        g_.move(e->position().toPoint().x(), e->buttons() & Qt::RightButton);
        changed_();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::RightButton) {
            g_.rightRelease(e->position().toPoint().x());
            changed_();
        }
    }

private:
    LocalGraph& g_;
    std::function<void()> changed_;
};

} // namespace

LocalGraphWindow::LocalGraphWindow(std::function<void(int)> dispatch, QWidget* owner)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      dispatch_(std::move(dispatch))
{
    setObjectName("localGraph");
    resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* strip = new QHBoxLayout;
    readout_ = new QLabel;
    readout_->setObjectName("readout");
    auto* save = new QPushButton("Save");
    auto* full = new QPushButton("Full");
    unit_ = new QPushButton("GHz");
    auto* hide = new QPushButton("Hide");
    strip->addWidget(readout_, 1);
    for (QPushButton* b : {save, full, unit_, hide})
        strip->addWidget(b);
    layout->addLayout(strip);
    surface_ = new LocalGraphSurface(graph_, [this] { refresh(); }, this);
    layout->addWidget(surface_, 1);
    connect(save, &QPushButton::clicked, this, &LocalGraphWindow::save);
    connect(full, &QPushButton::clicked, this, [this] {
        graph_.full();
        refresh();
    });
    connect(unit_, &QPushButton::clicked, this, [this] {
        graph_.switchUnit();
        refresh();
    });
    connect(hide, &QPushButton::clicked, this, [this] { dispatch_(kHide); });
    refresh();
}

void LocalGraphWindow::follow(bool on)
{
    if (on == isVisible())
        return;
    if (on) {
        graph_.reset();
        refresh();
        show();
    } else {
        hide();
    }
}

void LocalGraphWindow::setTable(const LocalGraphTable& table, bool xIsFrequency, bool dateLabels)
{
    graph_.setTable(table, xIsFrequency, dateLabels);
    refresh();
}

void LocalGraphWindow::save()
{
    QString path = QFileDialog::getSaveFileName(this, "Metafile", QString(), "Metafile (*.wmf)");
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".wmf";
    const std::string file = path.toStdString();
    if (!writeFileAtomically(file, graph_.metafile(surface_->width(), surface_->height())))
        QMessageBox::warning(this, "Quillmar", QString::fromStdString(cannotWriteText(file)));
}

void LocalGraphWindow::refresh()
{
    setWindowTitle(QString::fromStdString(graph_.caption()));
    readout_->setText(QString::fromStdString(graph_.readout()));
    unit_->setText(QString::fromStdString(graph_.unitCaption()));
    unit_->setEnabled(graph_.unitEnabled());
    surface_->update();
}

void LocalGraphWindow::closeEvent(QCloseEvent* e)
{
    // The window goes when the core's switch goes, so the menu's check mark
    // agrees with the screen.
    e->ignore();
    dispatch_(kHide);
}

} // namespace qm
