#pragma once
// The tool bar: the buttons of the most used commands, the R/L balance
// indicator, the beam and step fields of the active scan and a number edit.
// Every button forwards its command id; the states are read from the core.
#include <QToolBar>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QLineEdit;

namespace qm {

class Workbench;

class ToolBar : public QToolBar {
    Q_OBJECT
public:
    ToolBar(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent = nullptr);
    // Enabled and checked states, the ALL/ONE face, the indicator and fields.
    void refresh();

    QAction* button(int id) const; // null for the three fields
    QLineEdit* field(int id) const; // 163, 164, 195
    // The ids of the items in bar order.
    static const std::vector<int>& itemIds();

signals:
    // Enter in the number edit (item 195).
    void numberEntered(const QString& text);

private:
    void addGap(int width);
    Workbench& wb_;
    std::function<void(int)> dispatch_;
    std::map<int, QAction*> buttons_;
    std::map<int, QLineEdit*> fields_;
};

} // namespace qm
