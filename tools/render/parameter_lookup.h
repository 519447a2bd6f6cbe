// Finding a plug-in parameter from what the user typed.
#pragma once

#include <string>

#include "plugin_instance.h"

namespace vorlen::render {

/// The index of the parameter `key` names: a decimal index below numParams,
/// or a name matched case-insensitively against the plug-in's own names.
/// Throws ToolError (exit status 2) when nothing matches.
int findParameter(const tools::PluginInstance& instance, const std::string& key);

/// Whether the user's `typed` name denotes the plug-in's `reported` name.
/// Hosts receive names cut to 8 characters ("Smoothing" arrives as
/// "Smoothin"), so a longer typed name matches a reported name of exactly 8
/// characters that it begins with.
bool parameterNameMatches(const std::string& typed, const std::string& reported);

} // namespace vorlen::render
