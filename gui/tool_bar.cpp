#include "gui/tool_bar.h"

#include "app/workbench.h"
#include "gui/icons.h"

#include <QAction>
#include <QLineEdit>

namespace qm {

namespace {

constexpr int kIndicator = 228;
constexpr int kAllOne = 106;
constexpr int kNumberEdit = 195;

struct Item {
    int id;
    int gap;       // pixels after the item
    int editWidth; // 0 for buttons
};
constexpr Item kItems[] = {{100, 0, 0},  {102, 0, 0},  {101, 6, 0}, {106, 0, 0},  {118, 6, 0},
                           {107, 0, 0},  {112, 0, 0},  {108, 6, 0}, {128, 6, 0},  {149, 6, 0},
                           {228, 6, 0},  {163, 3, 80}, {164, 3, 80}, {195, 0, 50}};

} // namespace

const std::vector<int>& ToolBar::itemIds()
{
    static const std::vector<int> ids = [] {
        std::vector<int> v;
        for (const Item& i : kItems)
            v.push_back(i.id);
        return v;
    }();
    return ids;
}

ToolBar::ToolBar(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent)
    : QToolBar("Tool bar", parent), wb_(wb), dispatch_(std::move(dispatch))
{
    setObjectName("tool bar");
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    for (const Item& item : kItems) {
        const CommandInfo* info = wb_.commands().info(item.id);
        const QString hint = info ? QString::fromStdString(info->hint) : QString();
        if (item.editWidth > 0) {
            auto* edit = new QLineEdit;
            edit->setFixedWidth(item.editWidth);
            edit->setReadOnly(item.id != kNumberEdit);
            edit->setStatusTip(hint);
            edit->setToolTip(hint);
            if (item.id == kNumberEdit) {
                edit->setMaxLength(30);
                connect(edit, &QLineEdit::returnPressed, this,
                        [this, edit] { emit numberEntered(edit->text()); });
            } else {
                edit->setFocusPolicy(Qt::NoFocus);
            }
            addWidget(edit);
            fields_[item.id] = edit;
        } else {
            QAction* a = addAction(toolIcon(item.id), hint);
            a->setStatusTip(hint);
            a->setToolTip(hint);
            a->setCheckable(item.id == kAllOne || item.id == kIndicator);
            if (item.id != kIndicator) {
                const int id = item.id;
                connect(a, &QAction::triggered, this, [this, id] { dispatch_(id); });
            }
            buttons_[item.id] = a;
        }
        if (item.gap > 0)
            addGap(item.gap);
    }
    refresh();
}

void ToolBar::addGap(int width)
{
    auto* gap = new QWidget;
    gap->setFixedWidth(width);
    addWidget(gap);
}

QAction* ToolBar::button(int id) const
{
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QLineEdit* ToolBar::field(int id) const
{
    auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

void ToolBar::refresh()
{
    for (auto& [id, a] : buttons_) {
        if (id == kIndicator) {
            a->setEnabled(false);
            a->setChecked(wb_.rlIndicatorSet);
        } else {
            a->setEnabled(wb_.isEnabled(id) && wb_.commands().handler(id));
        }
    }
    buttons_.at(kAllOne)->setChecked(wb_.allButtonDown());
    auto show = [](QLineEdit* e, const std::string& text) {
        const QString t = QString::fromStdString(text);
        if (e->text() != t)
            e->setText(t);
    };
    show(fields_.at(163), wb_.toolBeamText);
    show(fields_.at(164), wb_.toolStepText);
}

} // namespace qm
