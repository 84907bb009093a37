#include "folderview/uViewStates.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t kMaxBlockBytes = std::numeric_limits<std::uint16_t>::max();
constexpr std::uint8_t kLastViewMode = 4;
constexpr int kMaxRecordedIndex = std::numeric_limits<std::uint8_t>::max();

std::uint16_t Read16(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

void Append16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

template <typename Record>
void AppendRecords(std::vector<std::uint8_t>& out, const std::vector<Record>& records) {
    Append16(out, records.size() * sizeof(Record));
    for (const Record& record : records) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
        out.insert(out.end(), bytes, bytes + sizeof(Record));
    }
}

// A counted block of whole records at `at`; advances `at` past it. Nothing
// when the count runs past the data or is not a multiple of the record.
template <typename Record>
std::optional<std::vector<Record>> ReadRecords(std::span<const std::uint8_t> data, std::size_t& at) {
    if (data.size() - at < 2) return std::nullopt;
    const std::size_t bytes = Read16(data, at);
    at += 2;
    if (bytes % sizeof(Record) != 0 || bytes > data.size() - at) return std::nullopt;
    std::vector<Record> records(bytes / sizeof(Record));
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto* target = reinterpret_cast<std::uint8_t*>(&records[i]);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at + i * sizeof(Record)), sizeof(Record), target);
    }
    at += bytes;
    return records;
}

}  // namespace

std::optional<int> IDListItemCount(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    int count = 0;
    while (bytes.size() - at >= 2) {
        const std::uint16_t size = Read16(bytes, at);
        if (size == 0) {
            if (at + 2 != bytes.size()) return std::nullopt;
            return count;
        }
        // An item holds at least its own size field.
        if (size < 2) return std::nullopt;
        at += size;
        if (at > bytes.size()) return std::nullopt;
        ++count;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> SerializeViewState(const TViewState& state) {
    if (state.IDList.size() > kMaxBlockBytes || state.ColumnStates.size() * sizeof(TColumnState) > kMaxBlockBytes ||
        state.ColumnOrder.size() * sizeof(std::int32_t) > kMaxBlockBytes)
        return {};
    std::vector<std::uint8_t> out;
    out.reserve(10 + state.IDList.size() + 4 * (state.ColumnStates.size() + state.ColumnOrder.size()));
    out.push_back(state.ViewMode);
    Append16(out, state.SortColumn);
    out.push_back(state.SortAscending);
    Append16(out, state.IDList.size());
    out.insert(out.end(), state.IDList.begin(), state.IDList.end());
    AppendRecords(out, state.ColumnStates);
    AppendRecords(out, state.ColumnOrder);
    return out;
}

std::optional<TViewState> ParseViewState(std::span<const std::uint8_t> data) {
    if (data.size() < 6) return std::nullopt;
    TViewState state;
    state.ViewMode = data[0];
    state.SortColumn = Read16(data, 1);
    state.SortAscending = data[3];
    if (state.ViewMode > kLastViewMode) return std::nullopt;
    const std::size_t listBytes = Read16(data, 4);
    std::size_t at = 6;
    if (listBytes > data.size() - at) return std::nullopt;
    const std::span<const std::uint8_t> list = data.subspan(at, listBytes);
    const std::optional<int> count = IDListItemCount(list);
    if (!count) return std::nullopt;
    state.IDList.assign(list.begin(), list.end());
    state.IDCount = *count;
    at += listBytes;
    std::optional<std::vector<TColumnState>> columns = ReadRecords<TColumnState>(data, at);
    if (!columns) return std::nullopt;
    std::optional<std::vector<std::int32_t>> order = ReadRecords<std::int32_t>(data, at);
    if (!order) return std::nullopt;
    // Trailing bytes mean the stored sizes are not the sizes of this value.
    if (at != data.size()) return std::nullopt;
    state.ColumnStates = std::move(*columns);
    state.ColumnOrder = std::move(*order);
    return state;
}

bool IsColumnOrder(std::span<const std::int32_t> order, std::size_t columns) {
    if (order.size() != columns) return false;
    std::vector<bool> seen(columns, false);
    for (const std::int32_t position : order) {
        if (position < 0 || static_cast<std::size_t>(position) >= columns || seen[position]) return false;
        seen[position] = true;
    }
    return true;
}

std::vector<std::int32_t> OrderAfterDrag(std::vector<std::int32_t> order, int column, int position) {
    if (!IsColumnOrder(order, order.size()) || position < 0 || static_cast<std::size_t>(position) >= order.size())
        return order;
    const auto from = std::find(order.begin(), order.end(), column);
    if (from == order.end()) return order;
    order.erase(from);
    order.insert(order.begin() + position, column);
    return order;
}

void RecordColumns(std::span<const int> columns, std::span<const int> widths, std::span<const int> order,
                   std::vector<TColumnState>& records, std::vector<std::int32_t>& recordedOrder) {
    records.clear();
    recordedOrder.clear();
    // Where each list column lands among the recorded ones, or -1.
    std::vector<int> recordedIndex(columns.size(), -1);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] < 0 || columns[i] > kMaxRecordedIndex) continue;
        const int width = i < widths.size() ? std::clamp(widths[i], 0, 0xFFFF) : 0;
        recordedIndex[i] = static_cast<int>(records.size());
        records.push_back({static_cast<std::uint8_t>(columns[i]), 0, static_cast<std::uint16_t>(width)});
    }
    std::vector<std::int32_t> headerOrder(order.begin(), order.end());
    if (!IsColumnOrder(headerOrder, columns.size())) {
        headerOrder.resize(columns.size());
        for (std::size_t i = 0; i < headerOrder.size(); ++i) headerOrder[i] = static_cast<std::int32_t>(i);
    }
    for (const std::int32_t column : headerOrder)
        if (recordedIndex[column] >= 0) recordedOrder.push_back(recordedIndex[column]);
}

TViewState* TViewStateList::Find(const std::uint8_t* idList, int idCount, const SameFolder& same) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->IDCount != idCount || !same(idList, it->IDList.data())) continue;
        entries_.splice(entries_.begin(), entries_, it);
        return &entries_.front();
    }
    return nullptr;
}

TViewState& TViewStateList::AddFront(TViewState state) {
    entries_.push_front(std::move(state));
    return entries_.front();
}

void TViewStateList::AddBack(TViewState state) { entries_.push_back(std::move(state)); }
