#pragma once
// A plug-in's parameter form as the front end shows it: labelled text
// fields with their initial texts, and an optional help button.
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct PluginForm {
    std::string title;
    std::vector<std::pair<std::string, std::string>> fields; // label, text
    std::string helpCaption, helpText;                       // no help button when the text is empty
};

} // namespace qm
