#include "tests/document/DocumentTestSupport.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

void CallQueue::Post(std::function<void()> call)
{
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    posted_.notify_one();
}

void CallQueue::RunNext()
{
    {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [this] { return !calls_.empty(); });
    }
    RunPosted();
}

void CallQueue::RunPosted()
{
    for (std::function<void()>& call : Take())
        call();
}

std::deque<std::function<void()>> CallQueue::Take()
{
    std::lock_guard lock(mutex_);
    return std::exchange(calls_, {});
}

ScratchMount::ScratchMount(const std::string& folder, size_t bytes) : folder_(folder)
{
    std::string options = "size=" + std::to_string(bytes);
    mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

ScratchMount::~ScratchMount()
{
    if (mounted_)
        umount2(folder_.c_str(), MNT_DETACH);
}

bool ScratchMount::RemountReadOnly()
{
    return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void ScratchMount::FillUp() const
{
    std::string path = folder_ + "/filler";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    std::string block(4096, 'f');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    // Fill the last partial page too.
    while (write(fd, "f", 1) > 0) {
    }
    close(fd);
}

int RunWithoutRoot(int (*body)(const std::string&), const std::string& argument)
{
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(255);
        _exit(body(argument));
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}
