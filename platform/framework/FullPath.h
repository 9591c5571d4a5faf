#pragma once

#include <string>

// `path` as an absolute path, taken against the current folder at the moment
// of the call, so that its meaning stays whatever happens later. "." parts
// and doubled separators are dropped; ".." is kept, since a link on the way
// can make it mean another folder than the one written before it. An empty
// path stays empty.
std::string FullPath(const std::string& path);
