#pragma once
// String numbers of the template panel's texts (looked up through texts::str).
#include "platform/Texts.h"

namespace templates {

enum TemplateString : int {
    StrAddTemplateTitle = 1060,        // "Add Template"
    StrExecuteFailure = 2400,          // "Execute %s failure"
    StrDatabaseCorrupted = 2401,       // "template.db is corrupted"
    StrNoItemData = 2402,              // "no item data"
    StrConfirmDelete = 2403,           // "Are you sure to delete template: %s?"
    StrConfirmDeleteGroup = 2404,      // "Are you sure to delete template group: '%s'?"
    StrEmptyName = 2405,               // "Template name cannot be empty."
    StrBadGroupName = 2406,            // "not a valid group name"
};

// Dialog numbers (texts::dialog) and the panel's menu.
enum : int {
    DlgAddGroup = 3,
    DlgEditTemplate = 22,
    MenuTemplatePanel = 9,
    MenuAddTemplate = 1000,
    MenuEditTemplate = 1001,
    MenuDeleteTemplate = 1002,
    MenuAddGroup = 1003,
    MenuDeleteGroup = 1004,
};

} // namespace templates
