#include "app/group_dialog.h"

#include "app/scan_list.h"
#include "app/text_format.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

// Valid, distinct rows of a shown list, ascending.
std::vector<int> cleanRows(std::vector<int> rows, std::size_t size)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [size](int r) { return r < 0 || static_cast<std::size_t>(r) >= size; }),
               rows.end());
    return rows;
}

} // namespace

GroupDialog::GroupDialog(const GroupDialogParams& params)
    : labels_(params.available), skip_(params.skipFrequency)
{
    setMode(params.mode);
    for (int i = 0; i < static_cast<int>(labels_.size()); ++i)
        left_.push_back(i);
    for (const std::string& label : params.chosen) {
        if (chosenCount() >= kMaxGroup)
            break;
        auto it = std::find_if(left_.begin(), left_.end(), [&](int i) { return labels_[i] == label; });
        if (it != left_.end()) {
            right_.push_back(*it);
            left_.erase(it);
        }
    }
}

std::vector<std::string> GroupDialog::available() const
{
    std::vector<std::string> v;
    for (int i : left_)
        v.push_back(labels_[i]);
    return v;
}

std::vector<std::string> GroupDialog::chosen() const
{
    std::vector<std::string> v;
    for (int i : right_)
        v.push_back(labels_[i]);
    return v;
}

bool GroupDialog::canAdd() const { return chosenCount() < kMaxGroup; }

bool GroupDialog::canRemove() const { return chosenCount() > 0; }

int GroupDialog::add(const std::vector<int>& rows)
{
    const auto picked = cleanRows(rows, left_.size());
    const std::size_t room = static_cast<std::size_t>(kMaxGroup - chosenCount());
    const std::size_t n = std::min(room, picked.size());
    for (std::size_t k = 0; k < n; ++k)
        right_.push_back(left_[static_cast<std::size_t>(picked[k])]);
    // Erase from the back so the remaining row numbers stay valid.
    for (std::size_t k = n; k-- > 0;)
        left_.erase(left_.begin() + picked[k]);
    return static_cast<int>(n);
}

int GroupDialog::remove(const std::vector<int>& rows)
{
    const auto picked = cleanRows(rows, right_.size());
    for (int r : picked)
        left_.push_back(right_[static_cast<std::size_t>(r)]);
    for (std::size_t k = picked.size(); k-- > 0;)
        right_.erase(right_.begin() + picked[k]);
    std::sort(left_.begin(), left_.end()); // lines return to list order
    return static_cast<int>(picked.size());
}

void GroupDialog::setMode(int mode) { mode_ = mode >= 1 && mode <= 3 ? mode : 3; }

std::string GroupDialog::skipText() const { return format("%.3f", static_cast<double>(skip_)); }

bool GroupDialog::accept(const std::string& skipText)
{
    float v;
    skip_ = scanFloat(skipText, v) ? v : 0.0f;
    if (mode_ == 1 && chosenCount() > kMaxArrayView) {
        mode_ = 3;
        return false;
    }
    return true;
}

GroupDialogParams GroupDialog::result() const
{
    GroupDialogParams p;
    p.available = labels_;
    p.chosen = chosen();
    p.mode = mode_;
    p.skipFrequency = skip_;
    return p;
}

std::vector<ScanRecord*> resolveGroupLabels(const ScanList& list, const std::vector<std::string>& labels)
{
    std::vector<ScanRecord*> group;
    for (const std::string& label : labels) {
        if (static_cast<int>(group.size()) >= kMaxGroup)
            break;
        for (const auto& r : list) {
            if (r->label() == label && std::find(group.begin(), group.end(), r.get()) == group.end()) {
                group.push_back(r.get());
                break;
            }
        }
    }
    std::stable_sort(group.begin(), group.end(), [](const ScanRecord* a, const ScanRecord* b) {
        if (a->frequency != b->frequency)
            return a->frequency > b->frequency;
        const int d = std::strcmp(a->dateObs, b->dateObs);
        if (d != 0)
            return d < 0;
        return std::strcmp(a->timeObs, b->timeObs) < 0;
    });
    return group;
}

} // namespace qm
