#pragma once
// The commands offered by the quick command list (entries 5..68) and the
// plot pop-up list (all 69 entries), in their fixed order.
#include <array>
#include <cstddef>

namespace qm {

struct ListCommand {
    int id;
    const char* name;
};

inline constexpr int kSeparatorId = 22222; // a separator in the pop-up menu
inline constexpr std::size_t kListCommandCount = 69;
inline constexpr std::size_t kQuickListFirstEntry = 5;

const std::array<ListCommand, kListCommandCount>& listCommandTable();

// The table name of an identifier (its first entry), or nullptr.
const char* listCommandName(int id);

} // namespace qm
