#include "mdi/uClosedFolders.h"

#include "app/Global.h"
#include "app/uFrameLink.h"
#include "app/uPIDL.h"

void RecordClosed(LPCITEMIDLIST folder) {
    TPIDLList* history = App().closedFolders.get();
    if (!history || !folder) return;
    for (int i = 0; i < history->Count(); ++i) {
        if (PIDLEqual(history->Get(i), folder)) {
            history->Exchange(i, 0);
            return;
        }
    }
    LPITEMIDLIST copy = PIDLClone(folder);
    if (!copy) return;
    history->InsertFirst(copy);
    const int bound = FrameConfig().closeHistoryCount & 0xFFFF;
    while (history->Count() > bound) history->Delete(history->Count() - 1);
}
