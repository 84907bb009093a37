#pragma once
// The program's own pointer list and the integer and ID-list lists built on it.

#include <windows.h>
#include <shlobj.h>

#include <vector>

class TList {
public:
    static constexpr int MaxCapacity = 0x7FFFFFF;
    using CompareFn = int (*)(void* a, void* b);
    using StableCompareFn = int (*)(void* a, void* b, LPARAM context);

    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    virtual ~TList();

    // The new index, or -1 when the list cannot grow.
    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    void Exchange(int a, int b);
    void* Get(int index) const;
    // Ignored below the count or above MaxCapacity, and when memory runs out.
    void SetCapacity(int capacity);
    void SetCount(int count);
    virtual void Clear();
    void Sort(CompareFn compare);
    void StableSort(StableCompareFn compare, LPARAM context);

    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(items_.size()); }

protected:
    enum Action { Added = 0, Removed = 2 };
    virtual void Grow();
    // Called for every non-null entry that enters or leaves the list.
    virtual void Notify(void* item, Action action);

private:
    std::vector<void*> items_;  // its size is the capacity
    int count_ = 0;
};

class TIntegerList : public TList {
public:
    explicit TIntegerList(bool unsignedCompare = false) : unsigned_(unsignedCompare) {}
    int Add(int value);
    int Get(int index) const;
    void Sort();

private:
    const bool unsigned_;
};

class TPIDLList : public TList {
public:
    explicit TPIDLList(bool ownsItems) : owns_(ownsItems) {}
    ~TPIDLList() override;

    LPITEMIDLIST Get(int index) const;
    // Takes the list as given; an owning list frees it when it is deleted,
    // cleared or cut off by SetCount.
    int Add(LPITEMIDLIST pidl);
    void InsertFirst(LPITEMIDLIST pidl);
    // Replaces the whole subkey, so no entry of a longer earlier list survives.
    void SaveList(HKEY parent, const wchar_t* subkey) const;
    // Appends the stored lists that are sound; they are new allocations, so
    // only an owning list frees them again.
    void LoadList(HKEY parent, const wchar_t* subkey);

    bool OwnsItems() const { return owns_; }

protected:
    void Notify(void* item, Action action) override;

private:
    const bool owns_;
};
