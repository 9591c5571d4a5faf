#include "tests/support/Corpus.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string CorpusFolder()
{
    const char* configured = std::getenv("LUMO_CORPUS");
#ifdef LUMO_CORPUS_DIR
    std::string folder = configured != nullptr ? configured : LUMO_CORPUS_DIR;
#else
    std::string folder = configured != nullptr ? configured : "";
#endif
    if (folder.empty() || !std::filesystem::exists(folder + "/MANIFEST.tsv"))
        return "";
    return folder;
}

std::vector<CorpusFile> CorpusFiles(const std::string& format)
{
    std::vector<CorpusFile> files;
    std::string folder = CorpusFolder();
    if (folder.empty())
        return files;
    std::ifstream manifest(folder + "/MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);  // column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 6 || fields[1] != format)
            continue;
        files.push_back({folder + "/" + fields[0], fields[0], fields[1], fields[5], fields.size() > 6 ? fields[6] : ""});
    }
    return files;
}
