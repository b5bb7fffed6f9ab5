#pragma once
// The local graph window ("Local spectrum"): 400 x 300 pixels, a top strip
// with the readout and the "Save", "Full", unit and "Hide" buttons, and the
// picture the core's LocalGraph paints on a QtCanvas.
#include "view/local_graph.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace qm {

// Metafile output of the picture; "Save" stays greyed until the program can
// write one.
bool localGraphSaveAvailable();

class LocalGraphWindow : public QWidget {
    Q_OBJECT
public:
    LocalGraphWindow(std::function<void(int)> dispatch, QWidget* owner);
    // Follows the Local Graph switch: coming up it starts empty, going off
    // it hides.
    void follow(bool on);
    void setTable(const LocalGraphTable& table, bool xIsFrequency, bool dateLabels);
    LocalGraph& graph() { return graph_; }
    // Strip and picture follow the core's state.
    void refresh();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    LocalGraph graph_;
    std::function<void(int)> dispatch_;
    QLabel* readout_;
    QPushButton* unit_;
    QWidget* surface_;
};

} // namespace qm
