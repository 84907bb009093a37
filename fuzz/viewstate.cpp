// A stored view state: any bytes at all. What is accepted must write back to
// the very same bytes, and its columns must survive the header's operations.

#include "FuzzCheck.h"

#include "app/uPIDLWalk.h"
#include "folderview/uViewStates.h"

#include <algorithm>

namespace {

bool IsPermutation(const std::vector<std::int32_t>& order) { return IsColumnOrder(order, order.size()); }

void CheckColumns(const TViewState& state, std::span<const std::uint8_t> data) {
    const std::size_t columns = state.ColumnStates.size();
    const bool usable = IsColumnOrder(state.ColumnOrder, columns);
    if (usable) FUZZ_CHECK(IsPermutation(state.ColumnOrder));

    // A header drag with a column and place taken from the data itself.
    const int column = data.empty() ? 0 : static_cast<std::int8_t>(data.back());
    const int position = data.size() < 2 ? 0 : static_cast<std::int8_t>(data[data.size() - 2]);
    const std::vector<std::int32_t> dragged = OrderAfterDrag(state.ColumnOrder, column, position);
    FUZZ_CHECK(dragged.size() == state.ColumnOrder.size());
    if (IsPermutation(state.ColumnOrder)) FUZZ_CHECK(IsPermutation(dragged));
    else FUZZ_CHECK(dragged == state.ColumnOrder);

    // Recording the same columns again: indexes, widths and the stored order
    // as a list view would hand them over.
    std::vector<int> indexes, widths, order;
    for (const TColumnState& record : state.ColumnStates) {
        indexes.push_back(record.Index);
        widths.push_back(record.Width);
    }
    for (const std::int32_t position : state.ColumnOrder) order.push_back(position);
    // Indexes out of a record's range must be left out, not wrapped.
    indexes.push_back(column * 1000);
    widths.push_back(position * 100000);
    std::vector<TColumnState> records;
    std::vector<std::int32_t> recordedOrder;
    RecordColumns(indexes, widths, order, records, recordedOrder);
    FUZZ_CHECK(records.size() <= indexes.size());
    FUZZ_CHECK(records.size() >= columns);
    FUZZ_CHECK(IsColumnOrder(recordedOrder, records.size()));
    for (std::size_t i = 0; i < columns; ++i) {
        FUZZ_CHECK(records[i].Index == state.ColumnStates[i].Index);
        FUZZ_CHECK(records[i].Width == state.ColumnStates[i].Width);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::optional<TViewState> state = ParseViewState(bytes);
    if (!state) return 0;

    FUZZ_CHECK(state->ViewMode <= 4);
    FUZZ_CHECK(IDListItemCount(state->IDList) == state->IDCount);
    // The folder's list is later handed to the shell as an ID list: it must
    // pass the ID-list rules themselves, and hold the items counted.
    FUZZ_CHECK(PIDLIsStoredList(state->IDList.data(), state->IDList.size()));
    FUZZ_CHECK(PIDLCount(reinterpret_cast<LPCITEMIDLIST>(state->IDList.data())) == state->IDCount);
    const std::vector<std::uint8_t> written = SerializeViewState(*state);
    FUZZ_CHECK(written.size() == size && std::equal(written.begin(), written.end(), data));

    CheckColumns(*state, bytes);

    // The list keeps an accepted state findable by its own ID list.
    TViewStateList list;
    list.AddBack(*state);
    const std::size_t listBytes = state->IDList.size();
    const TViewState* found =
        list.Find(state->IDList.data(), state->IDCount, [&](const std::uint8_t* a, const std::uint8_t* b) {
            return std::equal(a, a + listBytes, b);
        });
    FUZZ_CHECK(found && found->IDList == state->IDList);
    return 0;
}
