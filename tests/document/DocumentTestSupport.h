#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "document/DocumentLinks.h"
#include "tests/support/KirWriter.h"

// Keeps every call the document makes to its views and its frame, in order.
class LinkLog : public IThumbnailView, public IPictureView, public IProgressFrame {
public:
    std::vector<std::string> calls;
    void SelectItem(int index) override { calls.push_back("select " + std::to_string(index)); }
    void EntriesAppended(int first, int count) override
    {
        calls.push_back("appended " + std::to_string(first) + " " + std::to_string(count));
    }
    void ShowActualSize() override { calls.push_back("actual size"); }
    void BeginProgress() override { calls.push_back("begin"); }
    void SetProgressTotal(int total) override { calls.push_back("total " + std::to_string(total)); }
    void StepProgress() override { calls.push_back("step"); }
    void EndProgress() override { calls.push_back("end"); }
};

// Stands in for the interface thread's event queue: calls posted from any
// thread wait until the test, as the interface thread, runs them.
class CallQueue : public IInterfaceThread {
public:
    void Post(std::function<void()> call) override;
    // Runs the calls posted so far, first waiting for one when there is none.
    void RunNext();
    // Runs the calls posted so far, if any.
    void RunPosted();

private:
    std::deque<std::function<void()>> Take();

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

// A small tmpfs mounted on a folder, unmounted at destruction. Mounting needs
// root; where the system refuses, IsMounted() is false and the test skips.
class ScratchMount {
public:
    ScratchMount(const std::string& folder, size_t bytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool IsMounted() const { return mounted_; }
    bool RemountReadOnly();
    // Writes a file until the file system is full.
    void FillUp() const;

private:
    std::string folder_;
    bool mounted_ = false;
};

// Runs `body` in a child process that has given up root's rights (as user
// nobody) and returns its exit code, or -1 when that cannot be done.
int RunWithoutRoot(int (*body)(const std::string&), const std::string& argument);
