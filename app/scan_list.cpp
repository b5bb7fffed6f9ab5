#include "app/scan_list.h"

#include <cstring>

namespace qm {

int ScanList::indexOf(const ScanRecord* r) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == r)
            return static_cast<int>(i);
    return -1;
}

ScanRecord* ScanList::next(const ScanRecord* r) const
{
    const int i = indexOf(r);
    return i >= 0 && i + 1 < count() ? at(i + 1) : nullptr;
}

ScanRecord* ScanList::prev(const ScanRecord* r) const
{
    const int i = indexOf(r);
    return i > 0 ? at(i - 1) : nullptr;
}

ScanRecord* ScanList::pushHead(std::unique_ptr<ScanRecord> r)
{
    items_.insert(items_.begin(), std::move(r));
    return items_.front().get();
}

void ScanList::appendTail(std::vector<std::unique_ptr<ScanRecord>> chain)
{
    for (auto& r : chain)
        items_.push_back(std::move(r));
}

std::unique_ptr<ScanRecord> ScanList::remove(const ScanRecord* r)
{
    const int i = indexOf(r);
    if (i < 0)
        return nullptr;
    auto owned = std::move(items_[static_cast<std::size_t>(i)]);
    items_.erase(items_.begin() + i);
    return owned;
}

bool sortsAfter(const ScanRecord& a, const ScanRecord& b)
{
    if (a.frequency > b.frequency)
        return true;
    if (a.frequency != b.frequency)
        return false;
    const int d = std::strcmp(a.dateObs, b.dateObs);
    if (d != 0)
        return d < 0;
    return std::strcmp(a.timeObs, b.timeObs) < 0;
}

void ScanList::sort()
{
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (std::size_t i = 0; i + 1 < items_.size(); ++i) {
            if (sortsAfter(*items_[i], *items_[i + 1])) {
                std::swap(items_[i], items_[i + 1]);
                exchanged = true;
            }
        }
    }
}

ScanRecord* ScanList::findExact(float f) const
{
    for (const auto& r : items_)
        if (r->frequency == f)
            return r.get();
    return nullptr;
}

ScanRecord* ScanList::findAtOrAbove(float f) const
{
    for (const auto& r : items_)
        if (r->frequency >= f)
            return r.get();
    return nullptr;
}

ScanRecord* ScanList::findLabel(std::string_view label) const
{
    for (const auto& r : items_)
        if (r->label() == label)
            return r.get();
    return nullptr;
}

} // namespace qm
