#pragma once

namespace metafile {

// Fonts need a Qt GUI application. Where the program has none (the
// command-line tool, tests, fuzzers) one is made once on the "offscreen"
// platform. False when a non-GUI application exists, so no fonts can be used.
bool EnsureGuiApplication();

}  // namespace metafile
