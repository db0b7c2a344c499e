#include "win32/TablePrinter.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32/WideText.h"

namespace kel::win32 {
namespace {

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

HFONT MakeFont(HDC dc, int points, bool bold) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    lstrcpyW(lf.lfFaceName, L"SimSun");
    return CreateFontIndirectW(&lf);
}

}  // namespace

int DrawPages(HDC dc, const win::PrintJob& job) {
    const std::wstring title = Wide(job.title);
    HFONT body = MakeFont(dc, 9, false), heading = MakeFont(dc, 9, true), big = MakeFont(dc, 14, true);
    const int pageWidth = GetDeviceCaps(dc, HORZRES), pageHeight = GetDeviceCaps(dc, VERTRES);
    const int margin = std::max(1, GetDeviceCaps(dc, LOGPIXELSX) / 2);  // half an inch
    const int width = std::max(1, pageWidth - 2 * margin);

    // Each column as wide as its widest cell, all shrunk alike to the page.
    size_t columns = job.headers.size();
    for (const auto& row : job.rows) columns = std::max(columns, row.size());
    std::vector<int> widths(columns, 0);
    auto measure = [&](const std::vector<std::string>& cells, HFONT font) {
        HGDIOBJ old = SelectObject(dc, font);
        for (size_t c = 0; c < cells.size(); ++c) widths[c] = std::max(widths[c], TextWidth(dc, Wide(cells[c])));
        SelectObject(dc, old);
    };
    measure(job.headers, heading);
    for (const auto& row : job.rows) measure(row, body);
    HGDIOBJ old = SelectObject(dc, body);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int pad = std::max(1, static_cast<int>(tm.tmAveCharWidth));
    long total = 0;
    for (int& w : widths) total += (w += 2 * pad);
    if (total > width)
        for (int& w : widths) w = static_cast<int>(static_cast<long long>(w) * width / total);
    const int line = tm.tmHeight + tm.tmExternalLeading + pad / 2;

    int pages = 0, y = 0;
    auto drawRow = [&](const std::vector<std::string>& cells, HFONT font) {
        SelectObject(dc, font);
        int x = margin;
        for (size_t c = 0; c < columns; ++c) {
            RECT cell{x + pad, y, x + widths[c] - pad, y + line};
            const std::wstring text = c < cells.size() ? Wide(cells[c]) : std::wstring();
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell,
                      DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
            x += widths[c];
        }
        y += line;
    };
    auto newPage = [&] {
        if (pages > 0) EndPage(dc);
        StartPage(dc);
        ++pages;
        y = margin;
        if (pages == 1 && !title.empty()) {
            SelectObject(dc, big);
            RECT r{margin, y, margin + width, y + 2 * line};
            DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
            y += 3 * line;
        }
        drawRow(job.headers, heading);
        MoveToEx(dc, margin, y, nullptr);
        LineTo(dc, margin + width, y);
        y += pad / 2;
    };
    newPage();
    for (const auto& row : job.rows) {
        if (y + line > pageHeight - margin) newPage();
        drawRow(row, body);
    }
    EndPage(dc);
    SelectObject(dc, old);
    DeleteObject(body);
    DeleteObject(heading);
    DeleteObject(big);
    return pages;
}

int PrintPages(HDC dc, const win::PrintJob& job, const std::wstring& output) {
    const std::wstring title = Wide(job.title);
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title.empty() ? L"Kelmor" : title.c_str();
    doc.lpszOutput = output.empty() ? nullptr : output.c_str();
    if (StartDocW(dc, &doc) <= 0) return 0;
    const int pages = DrawPages(dc, job);
    return EndDoc(dc) > 0 ? pages : 0;
}

bool PrintWithDialog(HWND owner, const win::PrintJob& job) {
    PRINTDLGW ask{};
    ask.lStructSize = sizeof ask;
    ask.hwndOwner = owner;
    ask.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    if (!PrintDlgW(&ask) || !ask.hDC) {
        // No printer or the person cancelled: nothing printed.
        if (ask.hDevMode) GlobalFree(ask.hDevMode);
        if (ask.hDevNames) GlobalFree(ask.hDevNames);
        return false;
    }
    // "Print to file": the system asks for the file as the document starts.
    const int pages = PrintPages(ask.hDC, job);
    DeleteDC(ask.hDC);
    if (ask.hDevMode) GlobalFree(ask.hDevMode);
    if (ask.hDevNames) GlobalFree(ask.hDevNames);
    return pages > 0;
}

}  // namespace kel::win32
