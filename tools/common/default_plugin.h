// Where our programs look for the Vorlen plug-in when none is named.
#pragma once

#include <string>

namespace vorlen::tools {

/// The plug-in to load by default: `../lib/vst/vorlen.so` beside the running
/// program's folder when it exists (an installed copy), else the one built
/// alongside this program in the build tree. Empty when neither is there.
std::string defaultPluginPath();

} // namespace vorlen::tools
