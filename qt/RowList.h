// What every list of rows shares (grids, report lists, check lists): the current
// row highlighted as a whole in the same colours with the focus and without it,
// the list one Tab stop (arrows move inside it, Tab, Shift+Tab and Ctrl+Tab leave
// it), and a cell cut by its column showing its whole text in a tooltip.
#pragma once

class QAbstractItemView;

namespace kel::qt {

void SetUpRowList(QAbstractItemView& list);

}  // namespace kel::qt
