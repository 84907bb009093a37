#pragma once
// Our own ordering of a file-system folder's items by one of its shell columns,
// for platforms whose folders order every column by name. Reached only through
// the capability layer.

#include <windows.h>
#include <shobjidl.h>

#include <memory>

// Compares items of one folder by what one shell column shows: sizes, times
// and attributes as numbers from the items' find data, any other column by
// its text. Folders come before files, as the folder's own name order has
// them. One object serves one sort: it keeps what it learnt of each item (a
// sort asks about every item many times, and a column text costs a shell
// call), and the type text once per extension. The items must stay alive and
// unchanged for its lifetime. Not for use on two threads at once.
class TColumnMeaningOrder {
public:
    TColumnMeaningOrder(IShellFolder2* folder, UINT column);
    ~TColumnMeaningOrder();
    TColumnMeaningOrder(const TColumnMeaningOrder&) = delete;
    TColumnMeaningOrder& operator=(const TColumnMeaningOrder&) = delete;

    // The order in CompareIDs' form (the signed order in the low 16 bits);
    // fails when the column or an item's data cannot be had.
    HRESULT Compare(PCUITEMID_CHILD a, PCUITEMID_CHILD b);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One comparison with nothing kept: for a single question, not for sorting.
HRESULT CompareByColumnMeaning(IShellFolder2* folder, UINT column, PCUITEMID_CHILD a, PCUITEMID_CHILD b);
