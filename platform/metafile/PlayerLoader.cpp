#include "platform/metafile/Player.h"

#ifdef LUMO_METAFILE_MODULE
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>
#endif

namespace metafile {

#ifdef LUMO_METAFILE_MODULE

namespace {

// The folder of the running program, empty when it cannot be told.
std::string ProgramFolder()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    std::string program(path, static_cast<size_t>(length));
    return program.substr(0, program.rfind('/'));
}

// The module installed beside the program, else the one of the build tree.
const PlayerEntry* LoadPlayer()
{
    for (const std::string& path : {ProgramFolder() + "/" LUMO_METAFILE_MODULE_FROM_PROGRAM "/" LUMO_METAFILE_MODULE,
                                    std::string(LUMO_METAFILE_MODULE_BUILT)}) {
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            auto entry = reinterpret_cast<const PlayerEntry* (*)()>(dlsym(module, "lumo_metafile_player"));
            if (entry != nullptr)
                return entry();
        }
    }
    return nullptr;
}

}  // namespace

const PlayerEntry* Player()
{
    static const PlayerEntry* player = LoadPlayer();
    return player;
}

#else

const PlayerEntry* Player()
{
    return lumo_metafile_player();
}

#endif

}  // namespace metafile
