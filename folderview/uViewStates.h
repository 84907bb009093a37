#pragma once
// How each folder was last looked at: its view mode, sort and details-mode
// columns, kept most recently used first, and the one default state that
// file-system folders without a state of their own take. The stored forms
// come from the registry and may hold any bytes at all, so everything read
// here is checked before it is believed. Free of the platform headers.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <span>
#include <vector>

// One shown details-mode column: the shell's column index (one byte, so
// columns from 256 on cannot be stored) and its width in pixels.
struct TColumnState {
    std::uint8_t Index = 0;
    std::uint8_t Reserved = 0;
    std::uint16_t Width = 0;
};
static_assert(sizeof(TColumnState) == 4, "a column record is stored as four bytes");

struct TViewState {
    // The folder's absolute ID list, its two-byte terminator included.
    std::vector<std::uint8_t> IDList;
    // 0 large icons, 1 small icons, 2 list, 3 details, 4 thumbnails.
    std::uint8_t ViewMode = 3;
    std::uint16_t SortColumn = 0;
    std::uint8_t SortAscending = 1;
    // Shown columns in creation order; empty when never seen in details mode.
    std::vector<TColumnState> ColumnStates;
    // The header's order array.
    std::vector<std::int32_t> ColumnOrder;
    // Items in IDList; recomputed, never stored.
    int IDCount = 0;

    std::size_t IDListSize() const { return IDList.size(); }
};

struct TDefViewState {
    bool Load = false;
    std::uint16_t SortIndex = 0;
    std::uint8_t SortOrder = 1;  // 1 ascending
    std::vector<TColumnState> ColumnStates;
    std::vector<std::int32_t> ColumnOrderArray;
};

// The number of items of a well-formed ID list of exactly `bytes.size()`
// bytes (its terminator the last two), or nothing for any other bytes.
std::optional<int> IDListItemCount(std::span<const std::uint8_t> bytes);

// The stored form: mode, sort column, direction, then three counted blocks
// (the ID list, the column records, the order entries), little-endian, no
// padding. Empty when a block is too large for its 16-bit count.
std::vector<std::uint8_t> SerializeViewState(const TViewState& state);
// Nothing when the sizes disagree with each other or with the data, when a
// block is not made of whole records, or when the ID list is not one
// well-formed list.
std::optional<TViewState> ParseViewState(std::span<const std::uint8_t> data);

// True when `order` can be handed to the header as the order of `columns`
// columns: each position from 0 to columns - 1 exactly once.
bool IsColumnOrder(std::span<const std::int32_t> order, std::size_t columns);
// The order after a header drag that moves column `column` to display
// position `position`: the columns in between shift by one place. An order
// that is not one of `order.size()` columns, or a drag outside it, leaves it.
std::vector<std::int32_t> OrderAfterDrag(std::vector<std::int32_t> order, int column, int position);
// The records and order of the columns `columns` (shell indexes by list
// position) with their widths and the header's order, leaving out columns
// whose index does not fit a record and renumbering the order to match.
void RecordColumns(std::span<const int> columns, std::span<const int> widths, std::span<const int> order,
                   std::vector<TColumnState>& records, std::vector<std::int32_t>& recordedOrder);

// Most recently used first. Entries keep their addresses while they move.
class TViewStateList {
public:
    using SameFolder = std::function<bool(const std::uint8_t* a, const std::uint8_t* b)>;

    // The entry whose ID list has `idCount` items and that `same` calls equal
    // to `idList`, moved to the head; null when there is none.
    TViewState* Find(const std::uint8_t* idList, int idCount, const SameFolder& same);
    TViewState& AddFront(TViewState state);
    void AddBack(TViewState state);
    void Clear() { entries_.clear(); }
    std::size_t Count() const { return entries_.size(); }
    const std::list<TViewState>& Entries() const { return entries_; }

private:
    std::list<TViewState> entries_;
};
