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
    // "Save": the picture as a metafile of the window's picture size.
    void save();

private:
    LocalGraph graph_;
    std::function<void(int)> dispatch_;
    QLabel* readout_;
    QPushButton* unit_;
    QWidget* surface_;
};

} // namespace qm
