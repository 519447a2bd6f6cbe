#include "parameter_lookup.h"

#include <algorithm>
#include <cctype>

#include "tool_error.h"

namespace vorlen::render {
namespace {

// The length at which the interface cuts parameter names.
constexpr std::size_t kNameLimit = 8;

std::string folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

bool parameterNameMatches(const std::string& typed, const std::string& reported) {
    const std::string a = folded(trimmed(typed));
    const std::string b = folded(trimmed(reported));
    if (b.empty()) {
        return false;
    }
    return a == b || (b.size() == kNameLimit && a.size() > b.size() && a.starts_with(b));
}

int findParameter(const tools::PluginInstance& instance, const std::string& key) {
    const int count = instance.effect()->numParams;
    if (!key.empty() &&
        std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
        if (key.size() > 9 || std::stoi(key) >= count) {
            throw badInput("no parameter with index " + key + " (the plug-in has " +
                           std::to_string(count) + ")");
        }
        return std::stoi(key);
    }
    std::string known;
    for (int i = 0; i < count; ++i) {
        const std::string name = instance.parameterName(i);
        if (parameterNameMatches(key, name)) {
            return i;
        }
        known += (i == 0 ? "" : ", ") + trimmed(name);
    }
    throw badInput("unknown parameter '" + key +
                   "' (the plug-in has: " + (known.empty() ? "none" : known) + ")");
}

} // namespace vorlen::render
