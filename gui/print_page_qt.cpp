#include "gui/print_page_qt.h"

#include "gui/qt_canvas.h"
#include "view/page_print.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace qm {

void printPageOnPrinter(QWidget* owner, const std::function<void(Canvas&)>& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QRect res = printer.pageLayout().paintRectPixels(printer.resolution());
    const bool portrait = printer.pageLayout().orientation() == QPageLayout::Portrait;
    const PrintPageSize size =
        printPageSize(res.width(), res.height(), printer.logicalDpiX(), printer.logicalDpiY(), portrait);
    if (size.width <= 0 || size.height <= 0)
        return;

    QDialog progress(owner);
    progress.setWindowTitle("Print of Page");
    auto* layout = new QVBoxLayout(&progress);
    layout->addWidget(new QLabel(printer.printerName().isEmpty() ? QString("PDF") : printer.printerName(), &progress));
    layout->addWidget(new QLabel(printer.outputFileName(), &progress));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &progress);
    layout->addWidget(buttons);
    bool aborted = false;
    QObject::connect(buttons, &QDialogButtonBox::rejected, [&aborted] { aborted = true; });
    progress.setModal(false);
    progress.show();
    if (owner)
        owner->setEnabled(false);
    QApplication::processEvents();

    QPainter painter;
    if (!aborted && painter.begin(&printer)) {
        {
            QtCanvas canvas(painter, size.width, size.height);
            // The printer's own font: a 10-point serif at its resolution,
            // measured by the painter.
            QFont font("Times New Roman", 10);
            font.setStyleHint(QFont::Serif);
            painter.setFont(font);
            paint(canvas);
        }
        QApplication::processEvents();
        if (aborted)
            printer.abort();
        painter.end();
    }
    if (owner) {
        owner->setEnabled(true);
        owner->raise();
    }
}

} // namespace qm
