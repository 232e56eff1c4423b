#include "language/LanguageSwitch.h"

namespace lang {

SwitchPlan PlanLanguageSwitch(const DocumentView& doc, int requested) {
    SwitchPlan plan;
    if (requested < 0) {
        if (doc.isHex || !doc.hasFile)
            return plan;
        plan.action = SwitchAction::ToHex;
        plan.askToSaveFirst = doc.modified;
        return plan;
    }
    if (doc.isHex) {
        plan.action = SwitchAction::ToText;
        plan.askToSaveFirst = doc.modified;
        return plan;
    }
    if (doc.language != requested)
        plan.action = SwitchAction::Reapply;
    return plan;
}

} // namespace lang
