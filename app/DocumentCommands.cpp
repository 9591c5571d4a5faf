#include "app/DocumentCommands.h"

#include "document/KiroDoc.h"
#include "platform/framework/SingleDocTemplate.h"
#include "resources/CommandIds.h"

bool CDocumentCommands::OnCommand(int id)
{
    if (id != ID_FILE_SAVE && id != ID_FILE_SAVE_AS)
        return false;
    if (id == ID_FILE_SAVE)
        template_.OnFileSave();
    else
        template_.OnFileSaveAs();
    if (saved_)
        saved_();
    return true;
}

bool CDocumentCommands::OnUpdateCommand(CCmdUI& ui)
{
    if (ui.GetId() != ID_INDICATOR_IMAGE_INFO)
        return false;
    ui.SetText(QString::fromStdString(document_.GetImageInfoText()));
    return true;
}
