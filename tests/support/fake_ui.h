#pragma once
// Scripted UiPort for tests: answers come from queues, every call is recorded.
#include "analysis/gauss_analysis.h"
#include "analysis/line_field_search.h"
#include "analysis/surf3d.h"
#include "app/config_dialog.h"
#include "beam/beam_config.h"
#include "fitsimage/fits_options.h"
#include "app/ui_port.h"
#include "plugins/plugin_form.h"
#include "proc/ephemerides.h"
#include "view/page_export.h"
#include "view/view_settings.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

class FakeUi : public UiPort {
public:
    struct Message {
        std::string text, caption;
        MsgButtons buttons;
        MsgIcon icon;
    };
    struct Report {
        std::string title, text;
    };

    // Scripted answers; when a queue is empty the defaults below are used.
    std::deque<int> boxAnswers;                         // default kOk
    std::deque<std::optional<std::string>> textAnswers; // default nullopt (Cancel)
    std::deque<std::optional<std::string>> fileAnswers; // default nullopt
    std::deque<std::optional<GroupDialogParams>> groupAnswers;
    // Configuration dialog: a value is OK with those fields, nullopt Cancel.
    // With the queue empty: Cancel when allowed, else OK with the fields shown.
    std::deque<std::optional<ConfigDialogFields>> configAnswers;
    // "Setting view of picture": a value is OK with those fields, nullopt
    // (or an empty queue) Cancel.
    std::deque<std::optional<ViewSettingsFields>> viewAnswers;
    std::vector<ViewSettingsFields> viewShown; // fields as the dialog opened
    // Dialog 7 of Gauss Flux: a value is OK with those fields, nullopt (or an
    // empty queue) Cancel.
    std::deque<std::optional<GaussDialogFields>> gaussAnswers;
    // pump() returns true (abort) once it has been called this many times.
    int abortAfterPumps = -1, pumps = 0;
    // "FFT Beam convolution": a value is OK with those fields, nullopt (or
    // an empty queue) Cancel.
    std::deque<std::optional<BeamConfigFields>> beamAnswers;
    std::vector<BeamConfigFields> beamShown;
    // The Spectral Line dialog: a value is OK with those fields, nullopt (or
    // an empty queue) Cancel.
    std::deque<std::optional<SpectralLineFields>> lineAnswers;
    // "Surf3D Options" likewise, and the options as the dialog opened.
    std::deque<std::optional<Surf3dOptions>> surf3dAnswers;
    std::vector<Surf3dOptions> surf3dShown;
    // "Ephemerides setting": a value is OK with those fields, nullopt (or an
    // empty queue) Cancel.
    std::deque<std::optional<EphemeridesParams>> ephemeridesAnswers;
    std::vector<EphemeridesParams> ephemeridesShown;
    std::deque<std::optional<ExportPanelFields>> exportAnswers;
    std::vector<ExportPanelFields> exportShown;
    std::function<void(const std::function<void(Canvas&)>&)> printer; // a print dialog answered OK
    std::vector<Report> curves; // titled curves; the text is their number of values
    // Plug-in forms: a value is OK with those texts, nullopt (or an empty
    // queue) Cancel.
    std::deque<std::optional<std::vector<std::string>>> formAnswers;
    std::vector<PluginForm> formsShown; // forms as they opened
    // The FITS dialogs: a value is OK with those fields, nullopt (or an
    // empty queue) Cancel.
    std::deque<std::optional<FitsLoadingFields>> fitsLoadingAnswers;
    std::vector<FitsLoadingFields> fitsLoadingShown;
    std::deque<std::optional<FitsViewFields>> fitsViewAnswers;
    std::vector<FitsViewFields> fitsViewShown;
    int abortAfterSteps = -1; // progressStep returns true once this many steps ran
    // The open "Koeff of spline" dialog's state (null when closed).
    SplineDialogState* splineDialog = nullptr;
    int splineDialogShows = 0, splineDialogCloses = 0;

    // Recorded calls.
    std::vector<Message> messages;
    std::vector<std::string> prompts, statuses, titles;
    std::vector<FileDialogSpec> fileDialogs;
    std::vector<std::string> progressTitles;
    std::vector<Report> reports; // every report window opened
    std::vector<Report> texts;   // text dialogs
    std::vector<std::string> documents, programs;
    std::vector<ConfigDialogFields> configShown; // fields as the dialog opened
    std::vector<bool> configCancelAllowed;
    std::vector<bool> busyCursor, choiceCursor; // every switch, in order
    int redraws = 0, progressSteps = 0, progressCloses = 0, stateChanges = 0;
    bool reportOpen = false;
    std::string reportText;

    int messageBox(const std::string& text, const std::string& caption, MsgButtons b, MsgIcon i) override
    {
        messages.push_back({text, caption, b, i});
        if (boxAnswers.empty())
            return kOk;
        const int a = boxAnswers.front();
        boxAnswers.pop_front();
        return a;
    }
    std::optional<std::string> askText(const std::string& prompt) override
    {
        prompts.push_back(prompt);
        return pop(textAnswers);
    }
    std::optional<std::string> openFile(const FileDialogSpec& s) override
    {
        fileDialogs.push_back(s);
        return pop(fileAnswers);
    }
    std::optional<std::string> saveFile(const FileDialogSpec& s) override
    {
        fileDialogs.push_back(s);
        return pop(fileAnswers);
    }
    void progressOpen(const std::string& title, int, bool) override
    {
        progressTitles.push_back(title);
        progressSteps = 0;
    }
    bool progressStep() override
    {
        ++progressSteps;
        return abortAfterSteps >= 0 && progressSteps >= abortAfterSteps;
    }
    void progressClose() override { ++progressCloses; }
    bool pump() override { return abortAfterPumps >= 0 && ++pumps >= abortAfterPumps; }
    bool gaussDialog(GaussDialogFields& f) override { return answerDialog(gaussAnswers, f); }
    void setStatus(const std::string& t) override { statuses.push_back(t); }
    void setTitle(const std::string& t) override { titles.push_back(t); }
    void requestRedraw() override { ++redraws; }
    void showBusyCursor(bool on) override { busyCursor.push_back(on); }
    void showChoiceCursor(bool on) override { choiceCursor.push_back(on); }
    void stateChanged() override { ++stateChanges; }
    void openReport(const std::string& title, const std::string& text) override
    {
        reports.push_back({title, text});
        reportOpen = true;
        reportText = text;
    }
    bool hasOpenReport() const override { return reportOpen; }
    void raiseOpenReport() override { ++reportRaised; }
    int reportRaised = 0;
    std::string openReportText() const override { return reportText; }
    void setOpenReportText(const std::string& t) override { reportText = t; }
    void showText(const std::string& title, const std::string& text) override { texts.push_back({title, text}); }
    bool openDocument(const std::string& p) override
    {
        documents.push_back(p);
        return true;
    }
    bool startProgram(const std::string& p) override
    {
        programs.push_back(p);
        return programsStart;
    }
    bool programsStart = true; // false: every program fails to start
    bool pluginForm(PluginForm& f) override
    {
        formsShown.push_back(f);
        if (formAnswers.empty() || !formAnswers.front()) {
            if (!formAnswers.empty())
                formAnswers.pop_front();
            return false;
        }
        const auto a = formAnswers.front();
        formAnswers.pop_front();
        for (std::size_t k = 0; k < f.fields.size() && k < a->size(); ++k)
            f.fields[k].second = (*a)[k];
        return true;
    }
    bool groupDialog(GroupDialogParams& p) override
    {
        if (groupAnswers.empty() || !groupAnswers.front()) {
            if (!groupAnswers.empty())
                groupAnswers.pop_front();
            return false;
        }
        const auto chosen = *groupAnswers.front();
        groupAnswers.pop_front();
        p.chosen = chosen.chosen;
        p.mode = chosen.mode;
        p.skipFrequency = chosen.skipFrequency;
        return true;
    }

    bool configDialog(ConfigDialogFields& f, bool cancelAllowed) override
    {
        configShown.push_back(f);
        configCancelAllowed.push_back(cancelAllowed);
        if (configAnswers.empty())
            return !cancelAllowed;
        const auto answer = configAnswers.front();
        configAnswers.pop_front();
        if (!answer)
            return false;
        f = *answer;
        return true;
    }

    void showSplineDialog(SplineDialogState& state) override
    {
        splineDialog = &state;
        ++splineDialogShows;
    }
    void closeSplineDialog() override
    {
        splineDialog = nullptr;
        ++splineDialogCloses;
    }

    bool viewSettingsDialog(ViewSettingsFields& f) override { return answerDialog(viewShown, viewAnswers, f); }

    void printPage(const std::function<void(Canvas&)>& paint) override
    {
        if (printer)
            printer(paint);
    }

    bool exportPanel(ExportPanelFields& f) override { return answerDialog(exportShown, exportAnswers, f); }
    bool spectralLineDialog(SpectralLineFields& f) override { return answerDialog(lineAnswers, f); }
    bool surf3dDialog(Surf3dOptions& o) override { return answerDialog(surf3dShown, surf3dAnswers, o); }

    bool beamConfigDialog(BeamConfigFields& f) override { return answerDialog(beamShown, beamAnswers, f); }
    bool fitsLoadingDialog(FitsLoadingFields& f) override { return answerDialog(fitsLoadingShown, fitsLoadingAnswers, f); }
    bool fitsViewDialog(FitsViewFields& f) override { return answerDialog(fitsViewShown, fitsViewAnswers, f); }
    bool ephemeridesDialog(EphemeridesParams& p) override { return answerDialog(ephemeridesShown, ephemeridesAnswers, p); }
    void showCurve(const std::string& title, const std::vector<double>& values) override
    {
        curves.push_back({title, std::to_string(values.size())});
    }

    bool sawMessage(const std::string& text) const
    {
        for (const auto& m : messages)
            if (m.text == text)
                return true;
        return false;
    }

    // The filters of file dialog i, each as "name pattern".
    std::vector<std::string> filtersOf(std::size_t i) const
    {
        std::vector<std::string> f;
        for (const auto& x : fileDialogs.at(i).filters)
            f.push_back(x.name + " " + x.pattern);
        return f;
    }

private:
    // The next scripted answer of a dialog: OK with its fields, or Cancel.
    template <class F>
    static bool answerDialog(std::deque<std::optional<F>>& q, F& f)
    {
        if (q.empty())
            return false;
        const auto answer = q.front();
        q.pop_front();
        if (answer)
            f = *answer;
        return answer.has_value();
    }
    // The same, after recording the fields as the dialog opened.
    template <class F>
    static bool answerDialog(std::vector<F>& shown, std::deque<std::optional<F>>& q, F& f)
    {
        shown.push_back(f);
        return answerDialog(q, f);
    }
    template <class T>
    static std::optional<std::string> pop(std::deque<T>& q)
    {
        if (q.empty())
            return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace qm::test
