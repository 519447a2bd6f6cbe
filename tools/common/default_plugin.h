// Where our programs look for the Vorlen plug-in when none is named.
#pragma once

#include <string>

namespace vorlen::tools {

/// The plug-in to load by default: `../lib/vst/vorlen.so` next to the running
/// program when it exists (an installed copy), else the one built alongside
/// this program. Empty when neither is known.
std::string defaultPluginPath();

} // namespace vorlen::tools
