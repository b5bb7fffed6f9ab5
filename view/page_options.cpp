#include "view/page_options.h"

#include "app/page_types.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "view/page_export.h"

#include <regex>

namespace qm {

bool applyViewNames(Workbench& wb, const std::vector<std::string>& names)
{
    for (const std::string& n : names) {
        if (n == "sun-disk")
            wb.view.sunDisk = true;
        else if (n == "sun-center")
            wb.view.sunCenter = true;
        else if (n == "dig-frame")
            wb.view.digFrame = true;
        else if (n == "equal-scale")
            wb.view.equalScale = true;
        else if (n == "worksheets")
            wb.chkWrkI = wb.chkWrkV = true;
        else
            return false;
    }
    wb.syncActive(); // arrays the active scan lacks are switched off again
    return true;
}

void showGroupOfSet(Workbench& wb, int mode)
{
    if (mode == 0 || !wb.setLoaded)
        return;
    // The array view shows the first nine scans; it is what was asked for,
    // so a larger set does not turn it into the stacked view.
    const int limit = mode == 1 ? kMaxArrayView : kMaxGroup;
    wb.groupScans.clear();
    for (const auto& s : wb.scans)
        if (wb.groupCount() < limit)
            wb.groupScans.push_back(s.get());
    wb.setGroupView(mode);
}

std::string parsePageOptions(const std::vector<std::string>& args, PageOptions& o)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--export" && hasValue) {
            o.out = args[++i];
        } else if (a == "--size" && hasValue) {
            std::smatch m;
            const std::string v = args[++i];
            if (!std::regex_match(v, m, std::regex("(\\d{1,5})x(\\d{1,5})")))
                return "--size needs WxH, e.g. 500x400";
            o.width = std::stoi(m[1]);
            o.height = std::stoi(m[2]);
        } else if (a == "--pen" && hasValue) {
            if (!scanInt(args[++i], o.pen) || o.pen < 0 || o.pen > 5)
                return "--pen needs a thickness of 0..5";
        } else if (a == "--group" && hasValue) {
            if (!scanInt(args[++i], o.group) || o.group < 1 || o.group > 3)
                return "--group needs 1, 2 or 3";
        } else if (a == "--view" && hasValue) {
            std::string list = args[++i] + ",";
            for (auto comma = list.find(','); comma != std::string::npos; comma = list.find(',')) {
                if (comma > 0)
                    o.view.push_back(list.substr(0, comma));
                list.erase(0, comma + 1);
            }
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.out.empty())
        return "--export needs an output file";
    if (!pageTypeOfPath(o.out))
        return "the output must end in .ps, .wmf, .emf, .pdf, .svg or .png";
    if (o.files.empty())
        return "--export needs at least one scan file";
    return {};
}

int exportPageOptions(Workbench& wb, const PageOptions& o)
{
    showGroupOfSet(wb, o.group);
    if (!applyViewNames(wb, o.view))
        return 2;
    if (!wb.setLoaded || !wb.activeScan) {
        wb.refuse("No scans to draw");
        return 1;
    }
    const PageRequest r{o.width, o.height, pageTypeOfPath(o.out)->number, o.pen};
    return exportPage(wb, o.out, r) ? 0 : 1;
}

} // namespace qm
