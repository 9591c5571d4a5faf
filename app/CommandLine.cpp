#include "app/CommandLine.h"

#include <cstring>

#include "picture/decoding/AutoDecoder.h"
#include "platform/os/CodePage.h"
#include "platform/os/FolderListing.h"

namespace {

const char* const kHelp =
    "usage: lumo [COLLECTION]\n"
    "       lumo PICTURE|FOLDER...\n"
    "       lumo --help | --version\n"
    "\n"
    "Shows an image collection: a strip of thumbnails and the selected picture.\n"
    "With no argument Lumo starts a new, empty collection; with a collection\n"
    "file (.kir) it opens that collection. Picture files and folders start an\n"
    "untitled collection holding them, in the order given, every picture below\n"
    "a folder included.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

}  // namespace

std::optional<std::string> InformationAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return kHelp;
        if (std::strcmp(argv[i], "--version") == 0)
            return "lumo " LUMO_VERSION "\n";
    }
    return std::nullopt;
}

bool NamesPictures(const std::string& path)
{
    if (os::IdentifyFolder(path))
        return true;
    return !os::HasExtension(path, "kir") && CAutoDecoder::RecognizeFile(path.c_str()) != PF_UNKNOWN;
}
