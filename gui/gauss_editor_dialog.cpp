#include "gui/gauss_editor_dialog.h"

#include "analysis/gauss_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

QButtonGroup* radioGroup(QWidget* owner, QGroupBox* box, std::initializer_list<const char*> faces, int checked)
{
    auto* group = new QButtonGroup(owner);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    for (const char* face : faces) {
        auto* b = new QRadioButton(face);
        group->addButton(b, id);
        b->setChecked(id == checked);
        layout->addWidget(b);
        ++id;
    }
    return group;
}

} // namespace

GaussEditorDialog::GaussEditorDialog(GaussEditor& editor, QWidget* parent) : QDialog(parent), editor_(editor)
{
    setWindowTitle("Interactive Gauss Analiz");
    auto* grid = new QGridLayout(this);
    auto* parameterBox = new QGroupBox("Parameter");
    parameter_ = radioGroup(this, parameterBox, {"X Position", "Y Position", "Theta", "Amplitude"}, 0);
    auto* scaleBox = new QGroupBox("Scale");
    scale_ = radioGroup(this, scaleBox, {"x 0.1", "x 1", "x 10"}, 1);
    grid->addWidget(parameterBox, 0, 0, 4, 1);
    grid->addWidget(scaleBox, 0, 1, 3, 1);
    count_ = new QSpinBox;
    count_->setRange(0, 10);
    count_->setValue(1);
    grid->addWidget(count_, 3, 1);

    auto button = [&](const char* face, void (GaussEditor::*action)(), int row, int col) {
        auto* b = new QPushButton(face);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { press(action); });
        grid->addWidget(b, row, col);
    };
    button("+", &GaussEditor::plus, 0, 2);
    button("-", &GaussEditor::minus, 1, 2);
    button("Insert", &GaussEditor::insert, 2, 2);
    button("Delete", &GaussEditor::remove, 3, 2);
    button("Next >", &GaussEditor::next, 4, 2);

    auto* values = new QGridLayout;
    amplitude_ = new QLabel;
    theta_ = new QLabel;
    x_ = new QLabel;
    flux_ = new QLabel;
    y_ = new QLineEdit;
    clear_ = new QCheckBox("Clear");
    values->addWidget(new QLabel("Amplitude"), 0, 0);
    values->addWidget(amplitude_, 0, 1);
    values->addWidget(new QLabel("Theta"), 1, 0);
    values->addWidget(theta_, 1, 1);
    values->addWidget(clear_, 1, 2);
    values->addWidget(new QLabel("Y Position"), 2, 0);
    values->addWidget(y_, 2, 1);
    values->addWidget(new QLabel("X Position"), 3, 0);
    values->addWidget(x_, 3, 1);
    values->addWidget(flux_, 4, 0, 1, 3);
    grid->addLayout(values, 5, 0, 1, 3);
    connect(clear_, &QCheckBox::toggled, this, [this](bool on) {
        editor_.clear = on;
        editor_.refresh();
        showValues();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        editor_.yText = y_->text().toStdString();
        editor_.ok();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 6, 0, 1, 3);
    showValues();
}

void GaussEditorDialog::press(void (GaussEditor::*action)())
{
    static constexpr GaussParameter kParameters[] = {GaussParameter::XPosition, GaussParameter::YPosition,
                                                     GaussParameter::Theta, GaussParameter::Amplitude};
    static constexpr double kScales[] = {0.1, 1, 10};
    editor_.parameter = kParameters[std::max(parameter_->checkedId(), 0)];
    editor_.scale = kScales[std::max(scale_->checkedId(), 0)];
    editor_.count = count_->value();
    editor_.clear = clear_->isChecked();
    editor_.yText = y_->text().toStdString();
    (editor_.*action)();
    showValues();
}

void GaussEditorDialog::showValues()
{
    amplitude_->setText(QString::fromStdString(editor_.amplitudeText));
    theta_->setText(QString::fromStdString(editor_.thetaText));
    y_->setText(QString::fromStdString(editor_.yText));
    x_->setText(QString::fromStdString(editor_.xText));
    flux_->setText(QString::fromStdString(editor_.fluxText));
}

} // namespace qm
