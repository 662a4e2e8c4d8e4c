#include "CIcdSet.h"

void CIcdSet::BindBulkColumns(CBulkBinder& binder, unsigned long /*rows*/)
{
    // By position: the select list's order decides, not these names.
    binder.BindText("[Code]", &m_rgCode, &m_rgCodeLengths, kCodeSlot);
    binder.BindText("[Text]", &m_rgText, &m_rgTextLengths, kTextSlot);
}
