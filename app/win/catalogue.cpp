// The palette catalogue: the *.pal files of the palette folder, sorted.
#include "app/app.h"
#include "files/dir.h"
#include "text/list.h"
#include "text/text.h"
#include "ui/control.h"

namespace tintwerk {

bool scan_palette_folder(const std::string& folder) {
    AppState& s = app();
    if (!dir_examine(PALETTE_SCAN, folder, "*.pal")) return false;
    control_clear_items(CTL_PALETTE_LIST);
    // Names are collected first and sorted once, without regard to case.
    List* names = list_new(ListSortKind::Text);
    while (dir_next(PALETTE_SCAN) == 1) list_add(names)->text = text_lower(dir_entry_name(PALETTE_SCAN));
    list_sort(names, LIST_SORT_NO_CASE);
    list_reset(names);
    s.palette_list.clear();
    s.palette_list.reserve(list_count(names));
    // The list is drawn once when it is full: redrawn after every item, ten
    // thousand names take minutes on some systems.
    control_set_redraw(CTL_PALETTE_LIST, 0);
    while (ListElement* e = list_next(names)) {
        s.palette_list.push_back(e->text);
        control_add_item(CTL_PALETTE_LIST, LIST_END, e->text);
    }
    list_free(names);
    control_set_redraw(CTL_PALETTE_LIST, 1);
    return true;
}

}  // namespace tintwerk
