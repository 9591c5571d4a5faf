// Whole processes: `lumopic info` of a 1 x 1 BMP, as a thumbnailer or a
// script calls it, beside a plain C program that opens and reads the same
// file. Each iteration starts the program and waits for it to end.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "bench/BenchSupport.h"
#include "tests/support/BmpWriter.h"

extern char** environ;

namespace {

const std::string& TinyBmp()
{
    static const std::string path = Folder().Write("tiny.bmp", SceneBmp(1, 1, 24));
    return path;
}

// Runs `program` with `arguments` to its end, its output thrown away.
void RunToEnd(benchmark::State& state, std::vector<std::string> arguments)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(child, &status, 0) != child || status != 0) {
            state.SkipWithError("the program did not run to its end");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

void LumopicInfo(benchmark::State& state)
{
    RunToEnd(state, {LUMO_BENCH_LUMOPIC, "info", TinyBmp()});
}

void PlainCRead(benchmark::State& state)
{
    RunToEnd(state, {LUMO_BENCH_READ_FILE, TinyBmp()});
}

}  // namespace

BENCHMARK(LumopicInfo)->Name("Process/lumopic_info_1x1_bmp")->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCRead)->Name("Process/plain_c_read_1x1_bmp")->Unit(benchmark::kMillisecond);
