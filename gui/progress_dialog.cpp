#include "gui/progress_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

ProgressDialog::ProgressDialog(const QString& title, int steps, bool withAbort, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("Progress");
    setWindowTitle(title.isEmpty() ? QString("Progress") : title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(title));
    bar_ = new QProgressBar;
    bar_->setRange(0, 10 * (steps > 0 ? steps : 1));
    bar_->setValue(0);
    bar_->setMinimumWidth(260);
    layout->addWidget(bar_);
    if (withAbort) {
        abort_ = new QPushButton("Abort");
        connect(abort_, &QPushButton::clicked, this, &ProgressDialog::reject);
        layout->addWidget(abort_, 0, Qt::AlignHCenter);
    }
    setModal(false);
}

bool ProgressDialog::step()
{
    bar_->setValue(std::min(bar_->maximum(), bar_->value() + 10));
    QApplication::processEvents();
    return aborted_;
}

void ProgressDialog::reject()
{
    // Esc and the close box stop the operation like "Abort" when it may stop;
    // otherwise the dialog stays until the operation closes it.
    if (!abort_)
        return;
    aborted_ = true;
    hide();
}

void ProgressDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    reject();
}

} // namespace qm
