#pragma once

#include <functional>

#include "platform/framework/CommandRouter.h"

class CKiroDoc;
class CSingleDocTemplate;

// The document's place on the command route: Save and Save As, and the
// image-information pane of the status bar.
class CDocumentCommands : public ICommandTarget {
public:
    // `saved` runs after a save (the frame's title follows the file name).
    CDocumentCommands(CKiroDoc& document, CSingleDocTemplate& docTemplate, std::function<void()> saved)
        : document_(document), template_(docTemplate), saved_(std::move(saved))
    {
    }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

private:
    CKiroDoc& document_;
    CSingleDocTemplate& template_;
    std::function<void()> saved_;
};
