// A printed list under a real window system: pages drawn to a printer's document,
// the text of every row on them, the heading again on each page.
#include <gtest/gtest.h>
#include <windows.h>

#include <winspool.h>

#include <string>
#include <vector>

#include "win32/TablePrinter.h"

namespace {

// Every text drawn into an enhanced metafile, in order.
int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars =
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
        reinterpret_cast<std::vector<std::wstring>*>(data)->emplace_back(chars, text->emrtext.nChars);
    }
    return 1;
}

win::PrintJob Rates(int rows) {
    win::PrintJob job;
    job.title = "兑换率设置";
    job.headers = {"原币种", "兑换币种", "兑换率"};
    for (int i = 0; i < rows; ++i) job.rows.push_back({"0" + std::to_string(i % 10), "01", "8.578800"});
    return job;
}

// The drawing of the pages as a printer gets it, recorded in a metafile.
TEST(WindowsPrint, EveryRowAndTheTitleAreDrawnAndALongListTakesSeveralPagesWithTheirHeadings) {
    wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"kel", 0, path);
    HDC reference = GetDC(nullptr);
    HDC dc = CreateEnhMetaFileW(reference, path, nullptr, L"Kelmor\0list\0");
    ReleaseDC(nullptr, reference);
    ASSERT_NE(dc, nullptr);
    const int pages = kel::win32::DrawPages(dc, Rates(200));
    HENHMETAFILE file = CloseEnhMetaFile(dc);
    ASSERT_NE(file, nullptr);
    std::vector<std::wstring> texts;
    EnumEnhMetaFile(nullptr, file, &CollectText, &texts, nullptr);
    DeleteEnhMetaFile(file);
    DeleteFileW(path);
    EXPECT_GT(pages, 1);  // 200 rows do not fit one page
    int headings = 0, rates = 0, titles = 0;
    for (const std::wstring& t : texts) {
        headings += t == L"兑换率";
        rates += t == L"8.578800";
        titles += t == L"兑换率设置";
    }
    EXPECT_EQ(rates, 200);
    EXPECT_EQ(titles, 1);
    EXPECT_EQ(headings, pages);  // the heading on every page
}

// A printer of the system, when it has one: the job reaches it as a file.
TEST(WindowsPrint, TheListReachesThePrintersFile) {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!needed ||
        !EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed, &needed,
                       &count) ||
        count == 0)
        GTEST_SKIP() << "no printer on this system";
    const auto* printer = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    HDC dc = CreateDCW(printer->pDriverName, printer->pPrinterName, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"kel", 0, path);
    EXPECT_EQ(kel::win32::PrintPages(dc, Rates(3), path), 1);
    DeleteDC(dc);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data));
    EXPECT_GT(data.nFileSizeLow, 0u);
    DeleteFileW(path);
}

}  // namespace
