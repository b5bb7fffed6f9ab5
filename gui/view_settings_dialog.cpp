#include "gui/view_settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qm {

namespace {

struct OptionSpec {
    const char* caption;
    bool ViewSettingsFields::*field;
};

// Picture options, two columns.
const OptionSpec kPictureOptions[] = {
    {"Color", &ViewSettingsFields::colour},          {"View list", &ViewSettingsFields::groupList},
    {"List(in/out)", &ViewSettingsFields::listOutside}, {"View wrk-gauss", &ViewSettingsFields::residual},
    {"View scale", &ViewSettingsFields::viewScale},  {"Dig.frame", &ViewSettingsFields::digFrame},
    {"Sun Disk", &ViewSettingsFields::sunDisk},      {"Center Sun", &ViewSettingsFields::sunCenter},
    {"Fits Image", &ViewSettingsFields::fitsImage},  {"View <All> Message", &ViewSettingsFields::confirmAll},
};
const OptionSpec kTitleParts[] = {
    {"Freq", &ViewSettingsFields::freq}, {"Date", &ViewSettingsFields::date}, {"Time", &ViewSettingsFields::time}};
const OptionSpec kArrays[] = {
    {"Intensity Data", &ViewSettingsFields::dataI},
    {"Intensity worksheet", &ViewSettingsFields::wrkI},
    {"Polarization Data", &ViewSettingsFields::dataV},
    {"Polarization worksheet", &ViewSettingsFields::wrkV},
};

} // namespace

ViewSettingsDialog::ViewSettingsDialog(const ViewSettingsFields& f, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Setting view of picture");
    auto* top = new QVBoxLayout(this);
    auto addGroup = [&](const char* title, const auto& specs, int columns) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        int k = 0;
        for (const OptionSpec& s : specs) {
            auto* c = new QCheckBox(s.caption, box);
            c->setChecked(f.*s.field);
            grid->addWidget(c, k / columns, k % columns);
            options_.push_back({c, s.field});
            ++k;
        }
        top->addWidget(box);
    };
    addGroup("Picture", kPictureOptions, 2);
    addGroup("Group labels", kTitleParts, 3);
    addGroup("Scans", kArrays, 2);

    auto* titles = new QFormLayout;
    auto addTitle = [&](const char* caption, const std::string& text, std::size_t chars) {
        auto* e = new QLineEdit(QString::fromStdString(text), this);
        e->setMaxLength(int(chars));
        titles->addRow(caption, e);
        return e;
    };
    mainTitle_ = addTitle("Main title of picture [30]  (%-auto)", f.mainTitle, kMainTitleChars);
    rightTitle_ = addTitle("Right Scale[14]", f.rightAxisTitle, kAxisTitleChars);
    leftTitle_ = addTitle("Left Scale[14]", f.leftAxisTitle, kAxisTitleChars);
    top->addLayout(titles);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
}

ViewSettingsFields ViewSettingsDialog::fields() const
{
    ViewSettingsFields f;
    for (const Option& o : options_)
        f.*o.field = o.box->isChecked();
    f.mainTitle = mainTitle_->text().toStdString();
    f.rightAxisTitle = rightTitle_->text().toStdString();
    f.leftAxisTitle = leftTitle_->text().toStdString();
    return f;
}

QCheckBox* ViewSettingsDialog::box(const QString& caption) const
{
    for (const Option& o : options_)
        if (o.box->text() == caption)
            return o.box;
    return nullptr;
}

} // namespace qm
