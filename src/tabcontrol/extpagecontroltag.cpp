#include "tabcontrol/extpagecontroltag.h"

TExtPageControlTag::TExtPageControlTag(QWidget* parent) : TExtPageControl(parent) {}

int TExtPageControlTag::GetImageIndex(int pageIndex) const
{
    return pageTag(widget(pageIndex));
}
