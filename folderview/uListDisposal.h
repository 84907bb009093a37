#pragma once
// Letting go of a list view of many items without holding the window. The
// platform's list view may free its rows in a time that grows with the square
// of their number (seconds for 100,000 on some systems), and it does that in
// one go when the window is destroyed. A large list is therefore taken off its
// parent, hidden, and emptied from its last row a slice at a time while the
// thread is idle; once empty, it is destroyed.

#include <windows.h>

// True when `list` holds enough items to be let go in slices.
bool LetGoInSlices(HWND list);

// Whose are the ID lists in the lParams of the items of a list let go.
enum class ListItemIds {
    Freed,    // the list's own: freed as its rows go
    Adopted,  // taken over by another list: left alone
};

// Takes a large `list` over; its parent no longer hears of its rows. A list of
// few items is left to go with its parent.
void DisposeListView(HWND list, ListItemIds ids);
// Takes `list` over, whatever its size, when another list has taken over the
// ID lists of its first `adoptedRows` rows only; the rest are freed.
void DisposePartlyAdoptedList(HWND list, int adoptedRows);

// True while `list` is being emptied: its notifications are not its parent's concern.
bool ListBeingDisposed(HWND list);

// Lists with more items than this go slice by slice; tests lower it. Answers the limit it replaces.
int SetListDisposalLimit(int items);
