#include "elements/InstrumentDialogMapping.h"

namespace {

// A choice outside the list (no selection) keeps what the window had.
void TakeChoice(int index, int count, int& target)
{
    if (index >= 0 && index < count) {
        target = index;
    }
}

}  // namespace

KstInstrumentFields KstInstrumentFieldsFromOptions(const KstInstrumentOptions& options)
{
    KstInstrumentFields fields;
    fields.title = options.titleText;
    fields.titlePosition = options.title ? 1 : 0;
    fields.alignment = options.titleAlign;
    fields.displayType = options.style;
    fields.gradient = options.gradient == 1 ? 1 : 0;
    fields.showGroup = options.showGroup ? 1 : 0;
    fields.showValue = options.showValue == 1 ? 1 : 0;
    fields.textColour = options.textColour;
    fields.titleBackColour = options.windowColour;
    fields.barColour = options.barColour;
    fields.backColour = options.plotColour;
    fields.font = options.font;
    fields.scaleAngle = options.scaleAngle;
    return fields;
}

void KstInstrumentOptionsFromFields(const KstInstrumentFields& fields,
                                    KstInstrumentOptions& options)
{
    int titlePosition = options.title ? 1 : 0;
    TakeChoice(fields.titlePosition, 2, titlePosition);
    options.title = titlePosition == 1;
    TakeChoice(fields.alignment, 3, options.titleAlign);
    TakeChoice(fields.displayType, 2, options.style);
    options.gradient = fields.gradient != 0 ? 1 : 0;
    options.showGroup = fields.showGroup != 0;
    options.showValue = fields.showValue != 0 ? 1 : 0;
    options.textColour = fields.textColour;
    options.windowColour = fields.titleBackColour;
    options.barColour = fields.barColour;
    options.plotColour = fields.backColour;
    options.font = fields.font;
    options.scaleAngle = fields.scaleAngle;
}
