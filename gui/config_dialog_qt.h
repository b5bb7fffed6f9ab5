#pragma once
// "Initial Setting for Quillmar": every configuration field with its browse
// button, and the eleven colour buttons with their swatches. The dialog only
// edits texts and colours; the core parses, applies and stores them.
#include "app/config_dialog.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class UiPort;

class ConfigDialogQt : public QDialog {
    Q_OBJECT
public:
    // `ui` runs the folder and file browsers.
    ConfigDialogQt(const ConfigDialogFields& fields, bool cancelAllowed, UiPort& ui, QWidget* parent = nullptr);

    ConfigDialogFields fields() const;
    // The edit of the field labelled `label` ("Flux Koef: "), or null.
    QLineEdit* field(const QString& label) const;
    QPushButton* colourButton(int index) const { return colourButtons_[static_cast<std::size_t>(index)]; }
    QLabel* swatch(int index) const { return swatches_[static_cast<std::size_t>(index)]; }
    QPushButton* browseButton(const QString& label) const;

    // Colour chooser (0x00bbggrr in, chosen value out, nullopt on cancel);
    // the system colour dialog unless replaced.
    std::function<std::optional<uint32_t>(uint32_t, QWidget*)> chooseColour;

public slots:
    void reject() override;

private:
    void pickColour(int index);
    void paintSwatch(int index);
    void browse(int row);
    bool cancelAllowed_;
    UiPort& ui_;
    std::array<uint32_t, 11> colours_{};
    std::vector<QLineEdit*> edits_;
    std::array<QPushButton*, 11> colourButtons_{};
    std::array<QLabel*, 11> swatches_{};
};

// Windows colour values (0x00bbggrr) and QColor.
QColor toQColor(uint32_t bgr);
uint32_t fromQColor(const QColor& c);

} // namespace qm
