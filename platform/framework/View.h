#pragma once

// A view of a document. The document calls OnInitialUpdate after New and
// Open, and OnUpdate whenever a command asks every view to refresh.
class CView {
public:
    virtual ~CView() = default;
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }
    // hint is always 0 in this program: rebuild everything from the document.
    virtual void OnUpdate(CView* sender, long hint) = 0;
};
