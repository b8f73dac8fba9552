// Workbooks come from outside: any package must read or be refused, never read out of bounds,
// and what reads must write again and read back with the same cells.
//
// Input: either the package's bytes, or (to reach the XML readers past the ZIP layer) its
// entries as text: each entry a line "==> <name>" followed by its bytes up to the next such
// line; the package is then built from them.
#include "platform/services/Workbook.h"
#include "platform/services/Zip.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "tests/support/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<ms::ZipEntry> Entries(std::string_view text) {
    static constexpr std::string_view kMark = "==> ";
    std::vector<ms::ZipEntry> entries;
    size_t at = 0;
    while (at < text.size() && text.substr(at, kMark.size()) == kMark) {
        const size_t eol = text.find('\n', at);
        if (eol == std::string_view::npos)
            break;
        std::string name(text.substr(at + kMark.size(), eol - at - kMark.size()));
        size_t next = text.find(std::string("\n") + std::string(kMark), eol);
        const size_t end = next == std::string_view::npos ? text.size() : next;
        entries.push_back({std::move(name), std::string(text.substr(eol + 1, end - eol - 1))});
        at = next == std::string_view::npos ? text.size() : next + 1;
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string in = ms::FromUtf8(mstest::FuzzScratch("workbook-in", ".xlsx"));
    static const std::u16string out = ms::FromUtf8(mstest::FuzzScratch("workbook-out", ".xlsx"));
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string package(text);
    if (text.substr(0, 4) == "==> ") {
        auto built = ms::BuildZip(Entries(text));
        if (!built)
            return 0;
        package = std::move(*built);
    }
    ms::WriteFileAtomic(in, package);
    std::u16string error;
    auto book = ms::xlsx::Read(in, error);
    if (!book) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    for (const auto& sheet : book->sheets) {
        (void)sheet.UsedRows();
        (void)sheet.UsedColumns();
    }
    // A package without a sheet reads as a workbook of none; written, it gets the writer's
    // default sheet, so there is nothing to compare.
    if (book->sheets.empty())
        return 0;
    if (!ms::xlsx::Write(*book, out, error))
        return 0; // an over-long cell or a sheet name a workbook cannot hold, with its reason
    auto again = ms::xlsx::Read(out, error);
    if (!again || again->sheets.size() != book->sheets.size())
        std::abort();
    for (size_t i = 0; i < book->sheets.size(); ++i)
        if (again->sheets[i].rows != book->sheets[i].rows)
            std::abort(); // a cell changed on its way through the file
    return 0;
}
