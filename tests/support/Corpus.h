#pragma once

#include <string>
#include <vector>

// One row of the real-world picture corpus's MANIFEST.tsv.
struct CorpusFile {
    std::string path;  // full path
    std::string name;  // path below the corpus folder, e.g. "bmp/bmpsuite__g_pal8.bmp"
    std::string format;
    std::string expected;  // "yes", "no" or "unknown"
    std::string note;
};

// The corpus folder (LUMO_CORPUS in the environment, else the build's default);
// empty when it does not exist on this machine.
std::string CorpusFolder();
// The rows of one format; none when there is no corpus.
std::vector<CorpusFile> CorpusFiles(const std::string& format);
