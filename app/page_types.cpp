#include "app/page_types.h"

#include "app/text_format.h"

namespace qm {

const PageType* pageTypeOfPath(const std::string& path)
{
    const std::string name = upper(path);
    for (const PageType& t : kPageTypes) {
        const std::string ext = upper(t.extension);
        if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
            return &t;
    }
    return nullptr;
}

} // namespace qm
