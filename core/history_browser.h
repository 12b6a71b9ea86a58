#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/barcode_reception.h"
#include "core/reception_history.h"
#include "core/settings.h"

// What the history window shows: every reception, newest first and fetched a page at a
// time (a long history opens at once), or those that hold a searched barcode; the rows of
// one; and one replayed as saving and typing take it.
class HistoryBrowser {
  public:
    explicit HistoryBrowser(ReceptionHistory& history, int pageSize = 200);

    // Every reception again, from the newest: the first page.
    void showAll();
    // The receptions holding `barcode` (Windows-1252, exactly); an empty one shows all.
    void search(const std::string& barcode);
    bool searching() const { return searching_; }

    // The receptions listed so far, and how many the list holds in all (a search finds them
    // all at once).
    const std::vector<HistoryEntry>& entries() const { return entries_; }
    int64_t total() const { return total_; }
    bool canLoadMore() const { return int64_t(entries_.size()) < total_; }
    // The next page; how many receptions came. `arriving`, when given, hears that number
    // before they join entries().
    int loadMore(const std::function<void(int)>& arriving = {});

    // The rows of entries()[index], and in a search those (from 0) that hold the barcode.
    std::vector<HistoryRow> rows(size_t index) const;
    const std::vector<int>& foundRows(size_t index) const;
    // How many rows the search found, over all its receptions.
    int foundRowCount() const;

    // entries()[index] as rows under `settings`, for "Speichern unter …" and "Erneut senden".
    Reception replayed(size_t index, const Settings& settings) const;
    // The listed lines of rows `positions` of entries()[index] (all when empty), one a line,
    // for the clipboard.
    std::string copiedLines(size_t index, const std::vector<int>& positions) const;

  private:
    ReceptionHistory& history_;
    int pageSize_;
    bool searching_ = false;
    std::vector<HistoryEntry> entries_;
    std::vector<std::vector<int>> found_;  // per entry, in a search
    int64_t total_ = 0;
};
