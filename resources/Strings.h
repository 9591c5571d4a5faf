#pragma once

#include <QString>

// The string table: the interface's texts by numeric id. Command prompts hold
// the status-line text, a line feed, and the tooltip.
QString LoadString(int id);
bool HasString(int id);

// The text of command `id`'s menu item: its name, a tab and its key.
QString MenuText(int id);

// The status-line part and the tooltip part of a command prompt.
QString PromptStatusText(int id);
QString PromptTooltip(int id);
