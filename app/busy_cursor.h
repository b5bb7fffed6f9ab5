#pragma once
// The wait cursor for as long as a holder lives, restored on every way out,
// exceptions included. Holders nest: a command run by another (a packet's
// commands, a command list) leaves the cursor to the outermost holder.
#include "app/ui_port.h"

namespace qm {

class BusyCursor {
public:
    explicit BusyCursor(UiPort& ui) : ui_(ui)
    {
        if (ui_.busyHolders_++ == 0)
            ui_.showBusyCursor(true);
    }
    ~BusyCursor()
    {
        if (--ui_.busyHolders_ == 0)
            ui_.showBusyCursor(false);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UiPort& ui_;
};

} // namespace qm
