#include "host/qxctlset/GridExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/qxctlset/QXGrid.h"
#include "host/win/KeyInput.h"

namespace kel::grid {
namespace {

// Why a file could not be written, in the user's words where the cause is common.
std::string Reason(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return "文件夹不存在";
        case EACCES:
        case EPERM:
        case EROFS: return "没有写入权限";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "磁盘空间不足";
        default: return std::strerror(error);
    }
}

std::string Flat(std::string cell) {
    for (char& c : cell)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return cell;
}

std::string CsvField(const std::string& cell) {
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

std::vector<int> VisibleColumns(const CQXGrid& grid) {
    std::vector<int> columns;
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        if (grid.GetColumnWidth(c) > 0) columns.push_back(c);
    return columns;
}

std::vector<int> RowsToCopy(const CQXGrid& grid) {
    std::vector<int> rows;
    for (int r = grid.GetFixedRowCount(); r < grid.GetRowCount(); ++r)
        if (grid.IsRowSelected(r)) rows.push_back(r);
    if (rows.empty() && grid.GetRow() >= grid.GetFixedRowCount() && grid.GetRow() < grid.GetRowCount())
        rows.push_back(grid.GetRow());
    return rows;
}

std::string TabText(const CQXGrid& grid, const std::vector<int>& rows) {
    const std::vector<int> columns = VisibleColumns(grid);
    std::string text;
    for (int r : rows) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) text += '\t';
            text += Flat(grid.GetDisplayText(r, columns[i]).str());
        }
        text += "\r\n";
    }
    return text;
}

std::string CsvText(const CQXGrid& grid) {
    const std::vector<int> columns = VisibleColumns(grid);
    std::string csv = "\xEF\xBB\xBF";
    for (int r = 0; r < grid.GetRowCount(); ++r) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) csv += ',';
            csv += CsvField(grid.GetDisplayText(r, columns[i]).str());
        }
        csv += "\r\n";
    }
    return csv;
}

bool WriteFileWhole(const std::string& path, const std::string& contents, std::string& error) {
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (!file) {
        error = Reason(errno);
        return false;
    }
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = Reason(written ? errno : savedErrno);
        std::remove(part.c_str());
        return false;
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        error = Reason(errno);
        std::remove(part.c_str());
        return false;
    }
    return true;
}

}  // namespace kel::grid

// ---- the grid's context menu

bool CQXGrid::UserCopyRows() {
    const std::vector<int> rows = kel::grid::RowsToCopy(*this);
    if (rows.empty()) return false;
    win::Clipboard::SetText(CString(kel::grid::TabText(*this, rows)));
    return true;
}

bool CQXGrid::UserExport(const CString& path) {
    std::string error;
    if (kel::grid::WriteFileWhole(path.str(), kel::grid::CsvText(*this), error)) return true;
    CString text;
    text.Format("导出文件失败(%s)：%s", error.c_str(), path.GetString());
    MessageBox(text, "错误", MB_OK | MB_ICONERROR);
    return false;
}
