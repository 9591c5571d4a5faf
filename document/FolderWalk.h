#pragma once

#include <functional>
#include <string>

// Calls `onFile` with the full path of every entry of `folder` that is not a
// folder, in listing order (name order, see os::ListFolder), until it
// returns false. With `recursive` each subfolder is walked in place, where it
// comes up in its parent's listing; every folder is entered at most once, so
// links that lead back into the tree never loop. Folders that cannot be
// listed contribute nothing. False when `onFile` ended the walk.
bool WalkFolder(const std::string& folder, bool recursive, const std::function<bool(const std::string&)>& onFile);
