#include "batch/script_menu.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qm {

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string name;
    bool folder;
};

// Names compared without regard to case first, so the order matches what
// a user sees in a file manager; ties keep a fixed byte order.
bool nameOrder(const Entry& a, const Entry& b)
{
    const auto lower = [](const std::string& s) {
        std::string l = s;
        for (char& c : l)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return l;
    };
    const std::string la = lower(a.name), lb = lower(b.name);
    return la != lb ? la < lb : a.name < b.name;
}

std::vector<Entry> listFolder(const fs::path& folder)
{
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        const bool isFolder = it->is_directory(kind) && !it->is_symlink(kind);
        entries.push_back({it->path().filename().string(), isFolder});
    }
    std::sort(entries.begin(), entries.end(), nameOrder);
    return entries;
}

bool isScriptName(const std::string& name)
{
    return name.find(".spt") != std::string::npos || name.find(".SPT") != std::string::npos;
}

void fillMenu(const fs::path& folder, std::vector<ScriptMenuItem>& items, int& counter, int depth)
{
    int scripts = 0;
    for (const Entry& e : listFolder(folder)) {
        if (scripts == kScriptsPerFolder || counter >= kLastScriptId)
            break;
        if (e.folder) {
            if (depth >= kScriptFolderDepth)
                continue;
            ScriptMenuItem sub;
            sub.text = e.name;
            fillMenu(folder / e.name, sub.items, counter, depth + 1);
            items.push_back(std::move(sub));
        } else if (isScriptName(e.name)) {
            ScriptMenuItem item;
            item.id = ++counter;
            item.text = e.name.substr(0, e.name.size() - 4); // the name holds ".spt": at least 4 long
            item.fileName = e.name;
            items.push_back(std::move(item));
            ++scripts;
        }
    }
}

bool findPath(const std::vector<ScriptMenuItem>& items, int id, std::string& path)
{
    for (const ScriptMenuItem& item : items) {
        if (item.isSubMenu()) {
            std::string inner;
            if (findPath(item.items, id, inner)) {
                path = item.text + "/" + inner;
                return true;
            }
        } else if (item.id == id) {
            path = item.fileName;
            return true;
        }
    }
    return false;
}

} // namespace

ScriptMenu buildScriptMenu(const std::string& folder)
{
    ScriptMenu menu;
    menu.folder = folder;
    int counter = kFirstScriptId - 1;
    fillMenu(folder, menu.items, counter, 0);
    return menu;
}

std::optional<std::string> scriptRelativePath(const ScriptMenu& menu, int id)
{
    std::string path;
    if (id < kFirstScriptId || id > kLastScriptId || !findPath(menu.items, id, path))
        return std::nullopt;
    return path;
}

} // namespace qm
