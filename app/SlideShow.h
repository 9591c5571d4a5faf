#pragma once

#include <QBasicTimer>

class CKiroDoc;
class CKiroView;
class QObject;

// Steps through the whole collection, one picture an interval (a second
// unless chosen otherwise) in collection order, starting again after the
// last, until stopped. Its timer's events go to the owner (the main frame),
// which passes them to Step.
class CSlideShow {
public:
    virtual ~CSlideShow();

    void SetOwner(QObject* owner) { owner_ = owner; }
    // Shows the first picture at once, then one every interval.
    void Start(CKiroDoc& document, CKiroView* pictureView);
    void Stop();
    bool IsRunning() const { return running_; }
    bool IsOwnTimer(int timerId) const { return timer_.isActive() && timer_.timerId() == timerId; }
    void Step();

    int GetIndex() const { return index_; }
    int GetInterval() const { return interval_; }
    // The delay between pictures in milliseconds, from the next step on.
    void SetInterval(int milliseconds) { interval_ = milliseconds; }

private:
    bool running_ = false;
    int interval_ = 1000;
    QBasicTimer timer_;
    QObject* owner_ = nullptr;
    CKiroDoc* document_ = nullptr;
    CKiroView* pictureView_ = nullptr;
    int index_ = 0;
};
