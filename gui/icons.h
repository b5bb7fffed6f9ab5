#pragma once
// Tool bar pictograms, painted in code at 24x24 so no image files are needed.
#include <QIcon>

namespace qm {

// The icon of tool bar item `id`; items with an alternate face (106 ALL/ONE,
// 228 R/L balance) carry it as the icon's On state. Null for other ids.
QIcon toolIcon(int id);

} // namespace qm
