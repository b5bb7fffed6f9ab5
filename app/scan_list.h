#pragma once
// The ordered set of scans held in memory. Position 0 is the head (lowest
// frequency after a sort); "next" means the neighbour of higher frequency.
#include "app/scan_record.h"

#include <memory>
#include <string_view>
#include <vector>

namespace qm {

class ScanList {
public:
    int count() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    ScanRecord* head() const { return items_.empty() ? nullptr : items_.front().get(); }
    ScanRecord* tail() const { return items_.empty() ? nullptr : items_.back().get(); }
    ScanRecord* at(int i) const { return items_[static_cast<std::size_t>(i)].get(); }
    int indexOf(const ScanRecord* r) const; // -1 when not a member
    bool contains(const ScanRecord* r) const { return indexOf(r) >= 0; }
    ScanRecord* next(const ScanRecord* r) const; // higher frequency, or null
    ScanRecord* prev(const ScanRecord* r) const; // lower frequency, or null

    // A reader that produces one scan links it at the head.
    ScanRecord* pushHead(std::unique_ptr<ScanRecord> r);
    // A reader that produces a chain appends the chain at the tail.
    void appendTail(std::vector<std::unique_ptr<ScanRecord>> chain);
    // Unlinks a member and hands it back (null when not a member).
    std::unique_ptr<ScanRecord> remove(const ScanRecord* r);
    void clear() { items_.clear(); }

    // Exchange sort: ascending frequency; equal frequencies by descending
    // date, then descending time (latest observation first). Stable for
    // exact ties, like the pass-until-no-exchange sort it implements.
    void sort();

    // First record whose frequency equals f exactly / is at least f.
    ScanRecord* findExact(float f) const;
    ScanRecord* findAtOrAbove(float f) const;
    // First record whose scan label equals the text.
    ScanRecord* findLabel(std::string_view label) const;

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<ScanRecord>> items_;
};

// True when `a` must be exchanged with its successor `b` during the sort.
bool sortsAfter(const ScanRecord& a, const ScanRecord& b);

} // namespace qm
