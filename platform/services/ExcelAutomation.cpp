#include "platform/services/ExcelAutomation.h"

#include "platform/win/core/WString.h"

namespace ms::excel {

namespace {
void Require(bool condition, const char* message) {
    if (!condition)
        throw AutomationError(message);
}

// "A1" -> row 0, column 0; false when it is no cell of the sheet.
bool ParseCell(const std::u16string& name, int& row, int& column) {
    size_t i = 0;
    long c = 0, r = 0;
    for (; i < name.size() && ToUpper(name[i]) >= u'A' && ToUpper(name[i]) <= u'Z'; ++i)
        c = std::min(c * 26 + (ToUpper(name[i]) - u'A' + 1), 100000L);
    size_t digits = i;
    for (; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i)
        r = std::min(r * 10 + (name[i] - u'0'), 10000000L);
    if (digits == 0 || i == digits || i != name.size() || c > xlsx::kMaxColumns || r < 1 ||
        r > xlsx::kMaxRows)
        return false;
    row = int(r - 1);
    column = int(c - 1);
    return true;
}
} // namespace

// ---- Worksheet, range, pictures ----

xlsx::Sheet& Worksheet::Model() {
    book_->RequireOpen();
    Require(index_ < book_->book_.sheets.size(), "The worksheet no longer exists.");
    return book_->book_.sheets[index_];
}

std::u16string Worksheet::Name() {
    return Model().name;
}

void Worksheet::Select() {
    Model();
    if (book_->active_ != index_) {
        book_->active_ = index_;
        book_->selectedRow_ = book_->selectedColumn_ = 0;
    }
}

std::shared_ptr<Range> Worksheet::GetRange(const std::u16string& from, const std::u16string& to) {
    Model();
    int row = 0, column = 0, toRow = 0, toColumn = 0;
    Require(ParseCell(from, row, column) && ParseCell(to, toRow, toColumn),
            "The range is not valid.");
    return std::make_shared<Range>(shared_from_this(), row, column);
}

void Range::Select() {
    sheet_->Select();
    sheet_->book_->selectedRow_ = row_;
    sheet_->book_->selectedColumn_ = column_;
}

void Pictures::Cut() {
    sheet_->Model().pictures.clear();
}

std::shared_ptr<Picture> Pictures::Insert(const std::u16string& fileName) {
    xlsx::Sheet& sheet = sheet_->Model();
    std::string png = LoadPictureFile(fileName).png;
    const WorkbookObject& book = *sheet_->book_;
    bool active = book.active_ == sheet_->index_;
    sheet.pictures.push_back(
        {active ? book.selectedRow_ : 0, active ? book.selectedColumn_ : 0, std::move(png)});
    return std::make_shared<Picture>();
}

// ---- Worksheets, workbook ----

LONG Worksheets::Count() {
    book_->RequireOpen();
    return LONG(book_->book_.sheets.size());
}

std::shared_ptr<Worksheet> Worksheets::Item(SHORT index) {
    book_->RequireOpen();
    Require(index >= 1 && size_t(index) <= book_->book_.sheets.size(),
            "The worksheet index is out of range.");
    return std::make_shared<Worksheet>(book_, size_t(index - 1));
}

void WorkbookObject::RequireOpen() const {
    Require(!closed_, "The workbook is closed.");
}

std::shared_ptr<Worksheets> WorkbookObject::GetWorksheets() {
    RequireOpen();
    return std::make_shared<Worksheets>(shared_from_this());
}

std::shared_ptr<Worksheet> WorkbookObject::GetActiveSheet() {
    RequireOpen();
    Require(active_ < book_.sheets.size(), "The workbook has no worksheet.");
    return std::make_shared<Worksheet>(shared_from_this(), active_);
}

void WorkbookObject::Save() {
    RequireOpen();
    std::u16string error;
    if (!xlsx::Write(book_, path_, error))
        throw AutomationError(ToUtf8(error));
}

// ---- Collection, application ----

std::shared_ptr<WorkbookObject> Workbooks::Open(const std::u16string& fileName) {
    app_->RequireRunning();
    std::u16string error;
    auto book = xlsx::Read(fileName, error);
    if (!book)
        throw AutomationError(ToUtf8(error));
    auto opened = std::make_shared<WorkbookObject>();
    opened->path_ = fileName;
    opened->book_ = std::move(*book);
    app_->open_.push_back(opened);
    return opened;
}

void Workbooks::Close() {
    app_->RequireRunning();
    for (auto& book : app_->open_)
        book->closed_ = true;
    app_->open_.clear();
}

std::shared_ptr<Application> Application::Create() {
    if (!AutomationCreateAllowed(u"Excel.Application"))
        return nullptr;
    return std::make_shared<Application>();
}

void Application::RequireRunning() const {
    Require(!quit_, "The application has quit.");
}
void Application::SetDisplayAlerts(bool) {
    RequireRunning();
}
void Application::SetUserControl(bool) {
    RequireRunning();
}

std::shared_ptr<Workbooks> Application::GetWorkbooks() {
    RequireRunning();
    return std::make_shared<Workbooks>(shared_from_this());
}

void Application::Quit() {
    for (auto& book : open_)
        book->closed_ = true;
    open_.clear();
    quit_ = true;
}

} // namespace ms::excel
