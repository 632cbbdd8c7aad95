#pragma once
// A screen reader's view of the window's drop-down lists. Qt names a list on Linux by its chosen
// entry and leaves the label to a relation, so the six equaliser type lists were all "PEQ" and
// the filter lists "12db-Bworth". A list given an accessible name is named by it here; as in
// Qt's own interface of a list (a ComboBox with the list of entries as its child), its chosen
// entry is its value, its entries are the children of that child, and the chosen entry is the
// one selected there. "Show menu" never opens the pop-up of a disabled list: it could take
// neither the focus nor Escape and would stay open.

class QComboBox;

namespace lyra::ui {

// The list is named by its accessibleName (by its chosen entry while it has none).
void nameListByItsAccessibleName(QComboBox* list);

}  // namespace lyra::ui
