// What the host answers when a plug-in asks: forms and file questions go to
// the person interactively, and come from the batch command otherwise, so a
// batch run never waits.
#include "app/text_format.h"
#include "app/workbench.h"
#include "plugins/plugin_form.h"
#include "plugins/plugin_host.h"

#include <cstring>

namespace qm {

namespace {

constexpr int kBatchFields = 4; // a1..a4

PluginHost& hostOf(QmHostServices* self) { return *reinterpret_cast<HostServicesHandle*>(self)->host; }

std::string text(const char* s) { return s ? s : ""; }

// Copies with truncation; the target always ends in a zero byte.
void copyText(const std::string& s, char* to, std::size_t size)
{
    const std::size_t n = std::min(s.size(), size - 1);
    std::memcpy(to, s.data(), n);
    to[n] = 0;
}

int32_t askForm(QmHostServices* self, const char* title, QmFormField* fields, int32_t count,
                const char* helpCaption, const char* helpText)
{
    Workbench& wb = hostOf(self).workbench();
    if (count < 0 || (count > 0 && !fields))
        return 0;
    if (!wb.interactiveMode) {
        for (int32_t k = 0; k < count && k < kBatchFields; ++k)
            copyText(format("%.9g", static_cast<double>(wb.batchArgs[static_cast<std::size_t>(k)])),
                     fields[k].text, QM_FORM_TEXT_SIZE);
        return 1;
    }
    PluginForm form{text(title), {}, text(helpCaption), text(helpText)};
    for (int32_t k = 0; k < count; ++k)
        form.fields.emplace_back(text(fields[k].label), std::string(fields[k].text, strnlen(fields[k].text, QM_FORM_TEXT_SIZE)));
    if (!wb.ui().pluginForm(form))
        return 0;
    for (int32_t k = 0; k < count && static_cast<std::size_t>(k) < form.fields.size(); ++k)
        copyText(form.fields[static_cast<std::size_t>(k)].second, fields[k].text, QM_FORM_TEXT_SIZE);
    return 1;
}

int32_t askOpenFile(QmHostServices* self, const char* title, const char* filters, const char* initialDir,
                    char* path, size_t pathSize)
{
    Workbench& wb = hostOf(self).workbench();
    if (!path || pathSize == 0)
        return 0;
    std::optional<std::string> chosen;
    if (!wb.interactiveMode) {
        if (!wb.batchTitle.empty())
            chosen = wb.batchTitle;
    } else {
        FileDialogSpec spec;
        spec.title = text(title);
        spec.initialDir = text(initialDir);
        const std::string list = text(filters);
        for (std::size_t at = 0; at < list.size();) {
            const std::size_t bar = list.find('|', at);
            if (bar == std::string::npos)
                break;
            std::size_t end = list.find('|', bar + 1);
            if (end == std::string::npos)
                end = list.size();
            spec.filters.push_back({list.substr(at, bar - at), list.substr(bar + 1, end - bar - 1)});
            at = end + 1;
        }
        chosen = wb.ui().openFile(spec);
    }
    if (!chosen || chosen->size() >= pathSize)
        return 0;
    copyText(*chosen, path, pathSize);
    return 1;
}

char* allocText(QmHostServices* self, size_t size) { return hostOf(self).allocText(size); }

void message(QmHostServices* self, const char* caption, const char* body)
{
    hostOf(self).workbench().message(text(body), caption ? caption : "Information");
}

} // namespace

char* PluginHost::allocText(std::size_t size)
{
    if (size > (std::size_t(1) << 30))
        return nullptr;
    texts_.emplace_back(std::make_unique<char[]>(size + 1), size); // value-initialised: zero-filled
    return texts_.back().first.get();
}

HostServicesHandle makeHostServices(PluginHost& host, bool interactive)
{
    HostServicesHandle h{};
    h.api.structSize = sizeof(QmHostServices);
    h.api.abiVersion = QM_PLUGIN_ABI_VERSION;
    h.api.interactive = interactive ? 1 : 0;
    h.api.askForm = askForm;
    h.api.askOpenFile = askOpenFile;
    h.api.allocText = allocText;
    h.api.message = message;
    h.host = &host;
    return h;
}

} // namespace qm
