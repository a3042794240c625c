// The state behind the automation objects: the application (visibility, alerts, its open books)
// and each open book. Objects share it, so a quit application or a closed book disconnects them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "excel/Book.h"
#include "excel/Excel.h"

namespace NUVExcel {

struct BookState {
    BookData data;
    std::string name;      // UTF-8
    std::string fullName;  // native path once saved
    bool saved = true;
};

struct AppState {
    bool visible = false;
    bool alerts = true;
    bool quit = false;
    long sheetsInNewWorkbook = 3;
    std::string printer = DetectActivePrinter();
    std::vector<std::shared_ptr<BookState>> books;
    int nextBook = 1;
};

// A new book named "BookN" with this many empty sheets.
std::shared_ptr<BookState> NewBook(AppState& app, long sheets);

}  // namespace NUVExcel
