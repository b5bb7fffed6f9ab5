#include "gui/qt_ui.h"

#include "app/config_dialog.h"
#include "gui/config_dialog_qt.h"
#include "gui/gauss_dialog.h"
#include "gui/gauss_editor_dialog.h"
#include "gui/beam_dialog.h"
#include "gui/fits_dialogs.h"
#include "gui/curve_window.h"
#include "gui/ephemerides_dialog.h"
#include "gui/export_panel_qt.h"
#include "gui/print_page_qt.h"
#include "gui/group_dialog_qt.h"
#include "gui/help_viewer.h"
#include "gui/number_prompt.h"
#include "gui/plugin_form_dialog.h"
#include "gui/progress_dialog.h"
#include "gui/report_window.h"
#include "gui/spectral_line_dialog.h"
#include "gui/spline_dialog.h"
#include "gui/surf3d_dialog.h"
#include "gui/text_dialog.h"
#include "gui/view_settings_dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QUrl>

namespace qm {

QString fileFilterString(const std::vector<FileFilter>& filters)
{
    QStringList parts;
    for (const FileFilter& f : filters) {
        const QString name = QString::fromStdString(f.name);
        // A name that already shows its patterns ("Script files(*.spt)")
        // is used as it is; Qt reads the patterns from the parentheses.
        if (name.contains('('))
            parts << name;
        else
            parts << name + " (" + QString::fromStdString(f.pattern).replace(';', ' ') + ")";
    }
    // "*.*" would hide files without an extension: "Any Files" means all.
    return parts.join(";;").replace("*.*", "*");
}

QString withDefaultSuffix(const QString& path, const std::string& pattern)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().contains('.'))
        return path;
    // The first pattern that names an extension; "?" stands for the first
    // of its kind ("*.?hd" gives ".0hd").
    for (const QString& p : QString::fromStdString(pattern).split(';', Qt::SkipEmptyParts)) {
        const QString t = p.trimmed();
        if (!t.startsWith("*.") || t.size() < 3)
            continue;
        QString ext = t.mid(2);
        if (ext.contains('*'))
            continue;
        return path + '.' + ext.replace('?', '0');
    }
    return path;
}

QtUi::QtUi(QMainWindow* owner) : owner_(owner) {}

QtUi::~QtUi()
{
    delete progress_.data();
}

QtUi::Asking::Asking(QtUi& ui) : ui_(ui)
{
    if (ui_.asking_++ == 0)
        ui_.applyCursor();
}

QtUi::Asking::~Asking()
{
    if (--ui_.asking_ == 0)
        ui_.applyCursor();
}

void QtUi::applyCursor()
{
    // The main window's own cursor reaches every child that has none of its
    // own (the plot keeps its choice cursor); dialogs keep theirs.
    if (busy_ && asking_ == 0)
        owner_->setCursor(Qt::WaitCursor);
    else
        owner_->unsetCursor();
}

void QtUi::showBusyCursor(bool on)
{
    busy_ = on;
    applyCursor();
}

void QtUi::showChoiceCursor(bool on)
{
    if (onChoiceCursor)
        onChoiceCursor(on);
}

int QtUi::messageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon)
{
    if (messageHook)
        return messageHook(text, caption, buttons, icon);
    const Asking asking(*this);
    QMessageBox box(owner_);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(fromCoreText(text));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::SaveDiscardCancel:
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return kCancel;
    case QMessageBox::Yes:
    case QMessageBox::Save: return kYes;
    case QMessageBox::No:
    case QMessageBox::Discard: return kNo;
    default: return kOk;
    }
}

std::optional<std::string> QtUi::askText(const std::string& prompt)
{
    const Asking asking(*this);
    return NumberPrompt::ask(prompt, owner_);
}

std::optional<std::string> QtUi::openFile(const FileDialogSpec& spec)
{
    return fileDialog(spec, false);
}

std::optional<std::string> QtUi::saveFile(const FileDialogSpec& spec)
{
    return fileDialog(spec, true);
}

QString QtUi::startFolder(const FileDialogSpec& spec) const
{
    const auto known = lastFolders_.find(dialogKind(spec));
    const QStringList candidates{known != lastFolders_.end() ? known->second : QString(),
                                 QString::fromStdString(spec.initialDir),
                                 dataDir ? QString::fromStdString(dataDir()) : QString()};
    for (const QString& dir : candidates)
        if (!dir.isEmpty() && QFileInfo(dir).isDir() && QDir(dir).absolutePath() != "/")
            return QDir(dir).absolutePath();
    return QDir::homePath();
}

std::string QtUi::dialogKind(const FileDialogSpec& spec)
{
    return spec.chooseFolder || spec.filters.empty() ? spec.title : spec.filters.front().pattern;
}

std::optional<std::string> QtUi::fileDialog(const FileDialogSpec& spec, bool save)
{
    std::optional<std::string> chosen;
    std::string pattern = spec.filters.empty() ? std::string() : spec.filters.front().pattern;
    if (fileHook) {
        chosen = fileHook(spec, save);
    } else {
        chosen = runFileDialog(spec, save, pattern);
    }
    if (!chosen || chosen->empty())
        return chosen;
    QString path = QString::fromStdString(*chosen);
    if (save && !spec.chooseFolder)
        path = withDefaultSuffix(path, pattern);
    lastFolders_[dialogKind(spec)] = spec.chooseFolder ? path : QFileInfo(path).absolutePath();
    return path.toStdString();
}

std::optional<std::string> QtUi::runFileDialog(const FileDialogSpec& spec, bool save, std::string& pattern)
{
    const Asking asking(*this);
    QFileDialog d(owner_, QString::fromStdString(spec.title), startFolder(spec));
    if (spec.chooseFolder) {
        d.setFileMode(QFileDialog::Directory);
        d.setOption(QFileDialog::ShowDirsOnly);
    } else {
        d.setNameFilter(fileFilterString(spec.filters));
        d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        d.setFileMode(save || !spec.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (save && !spec.confirmOverwrite)
            d.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return std::nullopt;
    const int filter = fileFilterString(spec.filters).split(";;").indexOf(d.selectedNameFilter());
    if (filter >= 0 && filter < static_cast<int>(spec.filters.size()))
        pattern = spec.filters[static_cast<std::size_t>(filter)].pattern;
    return QFileInfo(d.selectedFiles().first()).filePath().toStdString();
}

void QtUi::progressOpen(const std::string& title, int steps, bool withAbort)
{
    progressClose();
    progress_ = new ProgressDialog(QString::fromStdString(title), steps, withAbort, owner_);
    progress_->show();
    QApplication::processEvents();
}

bool QtUi::progressStep()
{
    return progress_ && progress_->step();
}

void QtUi::progressClose()
{
    delete progress_.data();
}

bool QtUi::pump()
{
    QApplication::processEvents();
    return progress_ && progress_->aborted();
}

void QtUi::setStatus(const std::string& text)
{
    owner_->statusBar()->showMessage(QString::fromStdString(text));
}

void QtUi::setTitle(const std::string& title)
{
    title_ = title;
    refreshTitle();
}

void QtUi::refreshTitle()
{
    // The core's title, then the loaded file, so the user sees what is open.
    const std::string name = setName ? setName() : std::string();
    owner_->setWindowTitle(QString::fromStdString(name.empty() ? title_ : title_ + " - " + name));
}

void QtUi::requestRedraw()
{
    if (onRedraw)
        onRedraw();
}

void QtUi::stateChanged()
{
    if (onStateChanged)
        onStateChanged();
}

void QtUi::openReport(const std::string& title, const std::string& text)
{
    report_ = new ReportWindow(title, text, *this, outputDir ? outputDir() : std::string(), owner_);
    // Successive windows step down and right so none hides another.
    report_->move(owner_->geometry().topLeft() + QPoint(40 + 24 * cascade_, 60 + 24 * cascade_));
    cascade_ = (cascade_ + 1) % 10;
    report_->show();
}

ProgressDialog* QtUi::progress() const
{
    return progress_;
}

ReportWindow* QtUi::latestReport() const
{
    return report_;
}

bool QtUi::hasOpenReport() const
{
    return !report_.isNull();
}

bool QtUi::unsavedReports() const
{
    for (const ReportWindow* w : owner_->findChildren<ReportWindow*>(Qt::FindDirectChildrenOnly))
        if (w->edited())
            return true;
    return false;
}

void QtUi::raiseOpenReport()
{
    if (!report_)
        return;
    report_->showNormal();
    report_->raise();
    report_->activateWindow();
    report_->editor()->setFocus();
}

std::string QtUi::openReportText() const
{
    return report_ ? report_->text() : std::string();
}

void QtUi::setOpenReportText(const std::string& text)
{
    if (report_)
        report_->setText(text);
}

void QtUi::showText(const std::string& title, const std::string& text)
{
    const Asking asking(*this);
    TextDialog d(QString::fromStdString(title), fromCoreText(text), owner_);
    d.exec();
}

bool QtUi::openDocument(const std::string& path)
{
    const QFileInfo file(QString::fromStdString(path));
    if (!file.isFile() || !file.isReadable())
        return false;
    const QString suffix = file.suffix().toLower();
    if (suffix == "html" || suffix == "htm") {
        if (!help_)
            help_ = new HelpViewer(owner_);
        help_->showPage(file.absoluteFilePath());
        return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

HelpViewer* QtUi::helpViewer() const { return help_; }

bool QtUi::startProgram(const std::string& program)
{
    const QString command = QString::fromStdString(program);
    // A path with blanks that names a file is started as it is; otherwise
    // the text is a command line.
    if (QFileInfo(command).isFile())
        return QProcess::startDetached(command, {});
    QStringList args = QProcess::splitCommand(command);
    if (args.isEmpty())
        return false;
    const QString exe = args.takeFirst();
    return QProcess::startDetached(exe, args);
}

bool QtUi::groupDialog(GroupDialogParams& p)
{
    const Asking asking(*this);
    GroupDialogQt d(p, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    p = d.params();
    return true;
}

bool QtUi::configDialog(ConfigDialogFields& f, bool cancelAllowed)
{
    const Asking asking(*this);
    ConfigDialogQt d(f, cancelAllowed, *this, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

void QtUi::showSplineDialog(SplineDialogState& state)
{
    closeSplineDialog();
    spline_ = new SplineDialog(state, owner_);
    spline_->show();
}

SplineDialog* QtUi::splineDialog() const { return spline_; }

void QtUi::closeSplineDialog()
{
    // Called from the dialog's own button handler: hide now, delete later.
    if (spline_) {
        spline_->hide();
        spline_->deleteLater();
        spline_ = nullptr;
    }
}

bool QtUi::viewSettingsDialog(ViewSettingsFields& f)
{
    const Asking asking(*this);
    ViewSettingsDialog d(f, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

bool QtUi::gaussDialog(GaussDialogFields& f)
{
    const Asking asking(*this);
    GaussDialog d(owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

bool QtUi::spectralLineDialog(SpectralLineFields& f)
{
    const Asking asking(*this);
    return execSpectralLineDialog(f, owner_);
}

bool QtUi::surf3dDialog(Surf3dOptions& o)
{
    const Asking asking(*this);
    return execSurf3dDialog(o, owner_);
}

void QtUi::gaussEditor(GaussEditor& editor)
{
    const Asking asking(*this);
    GaussEditorDialog d(editor, owner_);
    d.exec();
}

bool QtUi::beamConfigDialog(BeamConfigFields& f)
{
    const Asking asking(*this);
    BeamDialog d(f, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

bool QtUi::fitsLoadingDialog(FitsLoadingFields& f)
{
    const Asking asking(*this);
    FitsLoadingDialog d(f, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

bool QtUi::fitsViewDialog(FitsViewFields& f)
{
    const Asking asking(*this);
    FitsViewDialog d(f, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

void QtUi::showCurve(const std::string& title, const std::vector<double>& values)
{
    (new CurveWindow(QString::fromStdString(title), values, owner_))->show();
}

bool QtUi::pluginForm(PluginForm& form)
{
    const Asking asking(*this);
    PluginFormDialog d(form, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    form = d.result();
    return true;
}

bool QtUi::ephemeridesDialog(EphemeridesParams& p)
{
    const Asking asking(*this);
    EphemeridesDialog d(p, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    p = d.params();
    return true;
}

bool QtUi::exportPanel(ExportPanelFields& f)
{
    const Asking asking(*this);
    ExportPanel d(f, owner_);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = d.fields();
    return true;
}

void QtUi::printPage(const std::function<void(Canvas&)>& paint)
{
    const Asking asking(*this);
    printPageOnPrinter(owner_, paint);
}

void QtUi::showScalePosition(bool on)
{
    if (onScalePosition)
        onScalePosition(on);
}

} // namespace qm
