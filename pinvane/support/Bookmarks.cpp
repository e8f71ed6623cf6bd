#include "pinvane/support/Bookmarks.h"

#include "pinvane/support/Text.h"

std::vector<std::wstring> reportLines(const std::wstring& label, const EditReport& report) {
    std::vector<std::wstring> lines;
    for (const BookmarkAction& action : report.actions) {
        const std::wstring title = utf8ToWide(action.title);
        switch (action.kind) {
        case BookmarkActionKind::Added:
            lines.push_back(label + L": 追加: " + title + L" -> " + utf8ToWide(action.url) +
                            (action.folder.empty()
                                 ? std::wstring()
                                 : L"（フォルダー: " + utf8ToWide(action.folder) + L"）"));
            break;
        case BookmarkActionKind::UrlReplaced:
            lines.push_back(label + L": URL置換: " + title + L": " + utf8ToWide(action.oldUrl) +
                            L" -> " + utf8ToWide(action.url));
            break;
        case BookmarkActionKind::Unchanged:
            lines.push_back(label + L": 変更なし: " + title);
            break;
        case BookmarkActionKind::FolderCreated:
            lines.push_back(label + L": フォルダー作成: " + title);
            break;
        }
    }
    if (report.failed)
        lines.push_back(label + L": " + report.failure);
    return lines;
}
