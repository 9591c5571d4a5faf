#pragma once

#include <functional>
#include <utility>

// What the collection document calls in the layers above it. Each link is
// optional: with none set, nothing is called.

// The thumbnail strip: moves its highlight to an entry.
class IThumbnailView {
public:
    virtual ~IThumbnailView() = default;
    virtual void SelectItem(int index) = 0;
    // Shows `count` entries newly appended to the collection from `first` on.
    virtual void EntriesAppended(int first, int count) = 0;
};

// The picture view: shows a newly selected picture at 1:1.
class IPictureView {
public:
    virtual ~IPictureView() = default;
    virtual void ShowActualSize() = 0;
};

// The main frame's progress display, used while a collection loads and while
// pictures are added.
class IProgressFrame {
public:
    virtual ~IProgressFrame() = default;
    virtual void BeginProgress() = 0;
    virtual void SetProgressTotal(int total) = 0;
    virtual void StepProgress() = 0;
    virtual void EndProgress() = 0;
};

// Progress shown on a frame from the scope's making to its end, so that a
// step that throws never leaves the progress display up. A scope may be
// handed on (moved) to whatever finishes the work.
class CProgressScope {
public:
    explicit CProgressScope(IProgressFrame& frame) : frame_(&frame) { frame.BeginProgress(); }
    CProgressScope(CProgressScope&& other) noexcept : frame_(std::exchange(other.frame_, nullptr)) {}
    CProgressScope& operator=(CProgressScope&&) = delete;
    ~CProgressScope()
    {
        if (frame_ != nullptr)
            frame_->EndProgress();
    }

private:
    IProgressFrame* frame_;
};

// The interface thread's event queue: Post runs `call` there later, after the
// events already waiting. Post may be called from any thread.
class IInterfaceThread {
public:
    virtual ~IInterfaceThread() = default;
    virtual void Post(std::function<void()> call) = 0;
};
