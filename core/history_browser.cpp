#include "core/history_browser.h"

HistoryBrowser::HistoryBrowser(ReceptionHistory& history, int pageSize)
    : history_(history), pageSize_(pageSize) {}

void HistoryBrowser::showAll() {
    searching_ = false;
    entries_.clear();
    found_.clear();
    total_ = history_.receptionCount();
    loadMore();
}

void HistoryBrowser::search(const std::string& barcode) {
    if (barcode.empty()) return showAll();
    searching_ = true;
    entries_.clear();
    found_.clear();
    for (ReceptionHistory::Found& found : history_.search(barcode)) {
        entries_.push_back(std::move(found.entry));
        found_.push_back(std::move(found.rows));
    }
    total_ = int64_t(entries_.size());
}

int HistoryBrowser::loadMore(const std::function<void(int)>& arriving) {
    if (searching_ || !canLoadMore()) return 0;
    std::vector<HistoryEntry> page = history_.receptions(pageSize_, int(entries_.size()));
    // Receptions recorded meanwhile (lorvant-cli, the wedge) move the pages by as many: one
    // already listed is not listed twice.
    const int64_t last = entries_.empty() ? INT64_MAX : entries_.back().id;
    const int fetched = int(page.size());
    std::erase_if(page, [last](const HistoryEntry& entry) { return entry.id >= last; });
    const int added = int(page.size());
    if (arriving) arriving(added);
    for (HistoryEntry& entry : page) entries_.push_back(std::move(entry));
    // Fewer than were counted: some were removed meanwhile; the list ends here.
    if (fetched < pageSize_ || added == 0) total_ = int64_t(entries_.size());
    return added;
}

std::vector<HistoryRow> HistoryBrowser::rows(size_t index) const {
    return index < entries_.size() ? history_.rows(entries_[index].id) : std::vector<HistoryRow>{};
}

const std::vector<int>& HistoryBrowser::foundRows(size_t index) const {
    static const std::vector<int> none;
    return searching_ && index < found_.size() ? found_[index] : none;
}

int HistoryBrowser::foundRowCount() const {
    int count = 0;
    for (const auto& rows : found_) count += int(rows.size());
    return count;
}

Reception HistoryBrowser::replayed(size_t index, const Settings& settings) const {
    if (index >= entries_.size()) return {};
    return replayedReception(entries_[index], rows(index), settings);
}

std::string HistoryBrowser::copiedLines(size_t index, const std::vector<int>& positions) const {
    const std::vector<HistoryRow> all = rows(index);
    std::string text;
    auto add = [&](const HistoryRow& row) { text += row.line + "\n"; };
    if (positions.empty())
        for (const HistoryRow& row : all) add(row);
    for (int position : positions)
        if (position >= 0 && size_t(position) < all.size()) add(all[size_t(position)]);
    return text;
}
