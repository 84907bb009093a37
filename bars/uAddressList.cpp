#include "bars/uAddressList.h"

#include "app/ComPtr.h"
#include "app/Global.h"

#include <shlobj.h>

#include <algorithm>

namespace {

// The folders inside `folder` as absolute lists, in the folder's own order
// (its first column); equal ones keep the order the enumeration gave.
std::vector<UniqueAbsolutePidl> SortedSubfolders(PCIDLIST_ABSOLUTE folder) {
    std::vector<UniqueAbsolutePidl> result;
    ComPtr<IShellFolder> shellFolder;
    if (!PIDLBindFolder(folder, shellFolder.put()) || !shellFolder) return result;
    ComPtr<IEnumIDList> items;
    // S_FALSE means an empty enumeration and leaves the pointer null.
    if (shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put()) != S_OK || !items) return result;
    std::vector<UniqueChildPidl> children;
    for (PITEMID_CHILD child = nullptr; items->Next(1, &child, nullptr) == S_OK; child = nullptr)
        children.emplace_back(child);
    std::stable_sort(children.begin(), children.end(), [&](const UniqueChildPidl& a, const UniqueChildPidl& b) {
        return static_cast<short>(HRESULT_CODE(shellFolder->CompareIDs(0, a.get(), b.get()))) < 0;
    });
    for (const UniqueChildPidl& child : children) result.emplace_back(PIDLAppend(folder, child.get()));
    return result;
}

}  // namespace

AddressEntries TopAddressEntries() {
    AddressEntries entries;
    PCIDLIST_ABSOLUTE desktop = App().desktopPidl.get();
    if (!desktop) return entries;
    entries.push_back({UniqueAbsolutePidl(PIDLClone(desktop)), 0});
    PCIDLIST_ABSOLUTE myComputer = App().myComputerPidl.get();
    for (UniqueAbsolutePidl& folder : SortedSubfolders(desktop)) {
        const bool isMyComputer = myComputer && PIDLEqual(folder.get(), myComputer);
        entries.push_back({std::move(folder), 1});
        if (!isMyComputer) continue;
        for (UniqueAbsolutePidl& drive : SortedSubfolders(myComputer)) entries.push_back({std::move(drive), 2});
    }
    return entries;
}

void MergeAncestors(AddressEntries& entries, PCIDLIST_ABSOLUTE folder) {
    if (!folder) return;
    // The folder and each parent up to (not including) the desktop, deepest first.
    std::vector<UniqueAbsolutePidl> ancestors;
    for (UniqueAbsolutePidl step(PIDLClone(folder)); step && !ILIsEmpty(step.get());
         step.reset(PIDLParent(static_cast<PCIDLIST_ABSOLUTE>(step.get()))))
        ancestors.emplace_back(PIDLClone(step.get()));
    size_t position = entries.size();
    int indent = 1;
    for (auto ancestor = ancestors.rbegin(); ancestor != ancestors.rend(); ++ancestor, ++indent) {
        const auto listed = std::find_if(entries.begin(), entries.end(), [&](const AddressEntry& entry) {
            return PIDLEqual(entry.folder.get(), ancestor->get());
        });
        if (listed != entries.end()) {
            position = static_cast<size_t>(listed - entries.begin()) + 1;
        } else {
            entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(position), {std::move(*ancestor), indent});
            ++position;
        }
    }
}
