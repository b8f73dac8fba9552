// The spreadsheet application's automation ("Excel.Application") as typed objects over the
// workbook model (Workbook.h): what the spreadsheet export uses of the object model. The
// application opens workbook files into its collection; a workbook has worksheets, an active
// one and a save; a worksheet has a name, a selection (a cell), its pictures and ranges.
// Objects are shared handles: releasing one is resetting the pointer. A rejected call throws
// ms::AutomationError.
//
// Pictures are placed at their own size with the top-left corner at the selected cell. The
// workbook format written has no picture borders: a border's weight is kept in the object only.
#pragma once

#include "platform/services/Automation.h"
#include "platform/services/Workbook.h"
#include "platform/win/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

namespace ms::excel {

class WorkbookObject;

class Border {
public:
    void SetWeight(SHORT weight) { weight_ = weight; }
    SHORT Weight() const { return weight_; }

private:
    SHORT weight_ = 0;
};

class Picture {
public:
    std::shared_ptr<Border> GetBorder() { return border_; }

private:
    std::shared_ptr<Border> border_ = std::make_shared<Border>();
};

class Worksheet;

// A range of cells; the export selects and shows its top-left cell.
class Range {
public:
    Range(std::shared_ptr<Worksheet> sheet, int row, int column)
        : sheet_(std::move(sheet)), row_(row), column_(column) {}
    void Select();
    void Show() {}

private:
    std::shared_ptr<Worksheet> sheet_;
    int row_, column_;
};

// The pictures of one worksheet.
class Pictures {
public:
    explicit Pictures(std::shared_ptr<Worksheet> sheet) : sheet_(std::move(sheet)) {}
    // Removes every picture of the worksheet.
    void Cut();
    // The picture file (any format the image library of Qt reads) at the selected cell.
    // Throws when the file is no readable picture.
    std::shared_ptr<Picture> Insert(const std::u16string& fileName);

private:
    std::shared_ptr<Worksheet> sheet_;
};

class Worksheet : public std::enable_shared_from_this<Worksheet> {
public:
    Worksheet(std::shared_ptr<WorkbookObject> book, size_t index)
        : book_(std::move(book)), index_(index) {}
    std::u16string Name();
    // Makes the worksheet the workbook's active one.
    void Select();
    std::shared_ptr<Pictures> GetPictures() {
        return std::make_shared<Pictures>(shared_from_this());
    }
    // The range between two cells named as "A1"; throws for a name that is no cell.
    std::shared_ptr<Range> GetRange(const std::u16string& from, const std::u16string& to);

private:
    friend class Range;
    friend class Pictures;
    xlsx::Sheet& Model();
    std::shared_ptr<WorkbookObject> book_;
    size_t index_;
};

class Worksheets {
public:
    explicit Worksheets(std::shared_ptr<WorkbookObject> book) : book_(std::move(book)) {}
    LONG Count();
    // Index from 1; throws out of range.
    std::shared_ptr<Worksheet> Item(SHORT index);

private:
    std::shared_ptr<WorkbookObject> book_;
};

// One open workbook.
class WorkbookObject : public std::enable_shared_from_this<WorkbookObject> {
public:
    std::shared_ptr<Worksheets> GetWorksheets();
    std::shared_ptr<Worksheet> GetActiveSheet();
    // Writes the workbook over its file, atomically; throws when it cannot be written.
    void Save();
    const xlsx::Workbook& Content() const { return book_; }

private:
    friend class Application;
    friend class Workbooks;
    friend class Worksheet;
    friend class Worksheets;
    friend class Range;
    friend class Pictures;
    void RequireOpen() const;
    std::u16string path_;
    xlsx::Workbook book_;
    size_t active_ = 0;
    int selectedRow_ = 0; // the active sheet's selected cell
    int selectedColumn_ = 0;
    bool closed_ = false;
};

class Application;

class Workbooks {
public:
    explicit Workbooks(std::shared_ptr<Application> app) : app_(std::move(app)) {}
    // Opens the workbook file; throws when it cannot be read.
    std::shared_ptr<WorkbookObject> Open(const std::u16string& fileName);
    // Closes every workbook of the application, unsaved.
    void Close();

private:
    std::shared_ptr<Application> app_;
};

class Application : public std::enable_shared_from_this<Application> {
public:
    // "Excel.Application"; null when it cannot be created (see ms::test::FailNextAutomationCreate).
    static std::shared_ptr<Application> Create();
    void SetDisplayAlerts(bool on);
    void SetUserControl(bool on);
    std::shared_ptr<Workbooks> GetWorkbooks();
    // Ends the instance; workbooks still open are closed unsaved.
    void Quit();

private:
    friend class Workbooks;
    void RequireRunning() const;
    std::vector<std::shared_ptr<WorkbookObject>> open_;
    bool quit_ = false;
};

} // namespace ms::excel
