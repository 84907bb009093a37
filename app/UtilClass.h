#pragma once
// The program's own pointer list and the integer and ID-list lists built on it.

#include <windows.h>
#include <shlobj.h>

class TList {
public:
    static constexpr int MaxCapacity = 0x7FFFFFF;
    using CompareFn = int (*)(void* a, void* b);
    using StableCompareFn = int (*)(void* a, void* b, LPARAM context);

    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    virtual ~TList();

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    void Exchange(int a, int b);
    void* Get(int index) const;
    void SetCapacity(int capacity);
    void SetCount(int count);
    virtual void Clear();
    void Sort(CompareFn compare);
    void StableSort(StableCompareFn compare, LPARAM context);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }

protected:
    enum Action { Added = 0, Removed = 2 };
    virtual void Grow();
    virtual void Notify(void* item, Action action);

private:
    void** items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
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
    // Takes the list as given; an owning list frees it later.
    int Add(LPITEMIDLIST pidl);
    void InsertFirst(LPITEMIDLIST pidl);
    void Delete(int index);
    void Clear() override;
    void SaveList(HKEY parent, const wchar_t* subkey) const;
    void LoadList(HKEY parent, const wchar_t* subkey);

    bool OwnsItems() const { return owns_; }

private:
    const bool owns_;
};
