#pragma once
// The "Video control panel" dialog of command 135 without any toolkit: the
// list of available scans ("Aviable data"), the chosen ones ("Selected
// data"), the moves between them, the counts, the enabling of "=>" and "<=",
// and what OK does. The Qt dialog shows this state and forwards clicks.
#include "app/ui_port.h"

#include <string>
#include <vector>

namespace qm {

class ScanList;
struct ScanRecord;

class GroupDialog {
public:
    // `params.available` holds every scan label in list order; labels of
    // `params.chosen` start on the right (each matched to one unused line).
    explicit GroupDialog(const GroupDialogParams& params);

    std::vector<std::string> available() const; // left list, list order
    std::vector<std::string> chosen() const;    // right list, order of choice
    int availableCount() const { return static_cast<int>(left_.size()); } // control "N"
    int chosenCount() const { return static_cast<int>(right_.size()); }
    bool canAdd() const;    // "=>"
    bool canRemove() const; // "<="

    // Moves the selected rows (indices into the shown list) across. Adding
    // stops when the group is full: only the first rows that fit move.
    // Returns the number of lines moved.
    int add(const std::vector<int>& rows);
    int remove(const std::vector<int>& rows);

    int mode() const { return mode_; } // 1 array, 2 overlaid, 3 stacked
    void setMode(int mode);
    // The text "Frequency of Skip" shows when the dialog opens.
    std::string skipText() const;

    // OK with the text of "Frequency of Skip". Returns false when the dialog
    // must stay open: the array view takes at most nine scans, so the choice
    // is switched to the stacked view instead.
    bool accept(const std::string& skipText);
    GroupDialogParams result() const;

private:
    std::vector<std::string> labels_; // every label, list order
    std::vector<int> left_, right_;   // indices into labels_
    int mode_ = 3;
    float skip_ = 0;
};

// Resolves chosen labels to scans ordered by frequency descending, then date
// and time ascending. A label resolves to the first list record with that
// label; a label chosen again takes the next record bearing it, so no scan
// enters the group twice. At most kMaxGroup scans.
std::vector<ScanRecord*> resolveGroupLabels(const ScanList& list, const std::vector<std::string>& labels);

} // namespace qm
