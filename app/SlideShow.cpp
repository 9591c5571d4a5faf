#include "app/SlideShow.h"

#include "document/KiroDoc.h"

CSlideShow::~CSlideShow()
{
    Stop();
}

void CSlideShow::Start(CKiroDoc& document, CKiroView* pictureView)
{
    Stop();
    document_ = &document;
    pictureView_ = pictureView;
    running_ = true;
    index_ = -1;
    Step();
}

void CSlideShow::Stop()
{
    timer_.stop();
    document_ = nullptr;
    pictureView_ = nullptr;
    running_ = false;
    index_ = 0;
}

void CSlideShow::Step()
{
    timer_.stop();
    if (!running_)
        return;
    // The next step is due an interval after this one began, however long decoding takes.
    if (owner_ != nullptr)
        timer_.start(interval_, owner_);
    if (!timer_.isActive()) {
        Stop();
        return;
    }
    ++index_;
    if (index_ >= document_->GetEntryCount())
        index_ = 0;
    document_->SelectPicture(index_);
}
