#include "gui/config_dialog_qt.h"

#include "app/ui_port.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

enum class Browse { None, Folder, File };

struct Row {
    std::string ConfigDialogFields::*field;
    const char* label;
    int maxLength;
    Browse browse;
    const char* browseText; // folder browser title or file filter name
    const char* pattern;
};

// Numbers and the program path take 132 characters, other texts 152, the
// flux unit 19.
const Row kRows[] = {
    {&ConfigDialogFields::koefFlux, "Flux Koef: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::gaussNoise, "Noise Level: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::minYscaleI, "Min Yaxis scale I: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::minYscaleV, "Min Yaxis scale V: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::vrtBeam, "Vert.Beam Coef.: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::hrzBeam, "Horiz.Beam Coef.: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::autoTime, "Autosave time[min]: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::unitFlux, "Flux Units: ", 19, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::unitAxisX, "X axis Units: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::jpTime, "Sun flux time: ", 132, Browse::None, nullptr, nullptr},
    {&ConfigDialogFields::jpFlux, "Sun flux Folder: ", 152, Browse::Folder, "Select Flux Folder", nullptr},
    {&ConfigDialogFields::output, "Output Folder: ", 152, Browse::Folder, "Select Output Folder", nullptr},
    {&ConfigDialogFields::pathScript, "Script Folder: ", 152, Browse::Folder, "Select Script Folder", nullptr},
    {&ConfigDialogFields::autoScript, "Auto Script File: ", 152, Browse::File, "Script files(*.spt)", "*.spt"},
    {&ConfigDialogFields::extProgram, "Ext program File: ", 132, Browse::File, "EXE files", "*"},
    {&ConfigDialogFields::corFile, "Log corr. File: ", 152, Browse::File, "Correct files(*.dat)", "*.dat"},
    {&ConfigDialogFields::palette3d, "3D Palette File: ", 152, Browse::File, "Palette files(*.pal)", "*.pal"},
    {&ConfigDialogFields::fitsPalette, "Fits Palette File: ", 152, Browse::File, "Palette files(*.pal)", "*.pal"},
};
constexpr int kFirstPathRow = 10;

// Colour buttons in the order of the colour table.
constexpr const char* kColourButtons[11] = {"Data I",   "Data V",   "Worksheet I", "Worksheet V",
                                            "Sun Center", "Sun Disk", "Gaussian",    "Selected",
                                            "Group-1",  "Group-2",  "Group-3"};

std::optional<uint32_t> systemColourDialog(uint32_t initial, QWidget* parent)
{
    const QColor c = QColorDialog::getColor(toQColor(initial), parent);
    if (!c.isValid())
        return std::nullopt;
    return fromQColor(c);
}

} // namespace

QColor toQColor(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xff), static_cast<int>((bgr >> 8) & 0xff),
                  static_cast<int>((bgr >> 16) & 0xff));
}

uint32_t fromQColor(const QColor& c)
{
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

ConfigDialogQt::ConfigDialogQt(const ConfigDialogFields& f, bool cancelAllowed, UiPort& ui, QWidget* parent)
    : QDialog(parent), chooseColour(systemColourDialog), cancelAllowed_(cancelAllowed), ui_(ui),
      colours_(f.colours)
{
    setWindowTitle("Initial Setting for Quillmar");
    auto* numbers = new QFormLayout;
    auto* paths = new QGridLayout;
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const Row& r = kRows[i];
        auto* edit = new QLineEdit(QString::fromStdString(f.*r.field));
        edit->setMaxLength(r.maxLength);
        edit->setObjectName(r.label);
        edits_.push_back(edit);
        if (i < kFirstPathRow) {
            edit->setMinimumWidth(110);
            numbers->addRow(r.label, edit);
            continue;
        }
        const int row = static_cast<int>(i) - kFirstPathRow;
        edit->setMinimumWidth(240);
        paths->addWidget(new QLabel(r.label), row, 0);
        paths->addWidget(edit, row, 1);
        auto* b = new QPushButton("...");
        b->setObjectName(QString("browse ") + r.label);
        b->setAutoDefault(false);
        b->setFixedWidth(30);
        connect(b, &QPushButton::clicked, this, [this, i] { browse(static_cast<int>(i)); });
        paths->addWidget(b, row, 2);
    }

    auto* colourBox = new QGroupBox("Colours");
    auto* colourGrid = new QGridLayout(colourBox);
    for (int i = 0; i < 11; ++i) {
        auto* b = new QPushButton(kColourButtons[i]);
        b->setAutoDefault(false);
        auto* s = new QLabel;
        s->setFixedSize(36, 16);
        s->setFrameShape(QFrame::Box);
        s->setAutoFillBackground(true);
        colourButtons_[static_cast<std::size_t>(i)] = b;
        swatches_[static_cast<std::size_t>(i)] = s;
        colourGrid->addWidget(b, i / 4, (i % 4) * 2);
        colourGrid->addWidget(s, i / 4, (i % 4) * 2 + 1);
        connect(b, &QPushButton::clicked, this, [this, i] { pickColour(i); });
        paintSwatch(i);
    }

    auto* top = new QHBoxLayout;
    top->addLayout(numbers);
    top->addSpacing(12);
    top->addLayout(paths, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConfigDialogQt::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(colourBox);
    layout->addWidget(buttons);
}

ConfigDialogFields ConfigDialogQt::fields() const
{
    ConfigDialogFields f;
    for (std::size_t i = 0; i < std::size(kRows); ++i)
        f.*kRows[i].field = edits_[i]->text().toStdString();
    f.colours = colours_;
    return f;
}

QLineEdit* ConfigDialogQt::field(const QString& label) const
{
    return findChild<QLineEdit*>(label);
}

QPushButton* ConfigDialogQt::browseButton(const QString& label) const
{
    return findChild<QPushButton*>("browse " + label);
}

void ConfigDialogQt::reject()
{
    // At the start-up check the dialog stays until it is confirmed.
    if (cancelAllowed_)
        QDialog::reject();
}

void ConfigDialogQt::pickColour(int index)
{
    auto& c = colours_[static_cast<std::size_t>(index)];
    if (const auto chosen = chooseColour(c, this)) {
        c = *chosen;
        paintSwatch(index);
    }
}

void ConfigDialogQt::paintSwatch(int index)
{
    QLabel* s = swatches_[static_cast<std::size_t>(index)];
    QPalette pal = s->palette();
    pal.setColor(QPalette::Window, toQColor(colours_[static_cast<std::size_t>(index)]));
    s->setPalette(pal);
}

void ConfigDialogQt::browse(int row)
{
    const Row& r = kRows[static_cast<std::size_t>(row)];
    QLineEdit* edit = edits_[static_cast<std::size_t>(row)];
    FileDialogSpec spec;
    spec.initialDir = edit->text().toStdString();
    if (r.browse == Browse::Folder) {
        spec.title = r.browseText;
        spec.chooseFolder = true;
    } else {
        spec.title = QString(r.label).remove(": ").toStdString();
        spec.filters = {{r.browseText, r.pattern}};
    }
    if (const auto chosen = ui_.openFile(spec))
        edit->setText(QString::fromStdString(*chosen));
}

} // namespace qm
