#include "pinvane/chromium/ChromiumBookmarks.h"

#include "pinvane/chromium/BookmarkNodes.h"
#include "pinvane/json/JsonParser.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/PlainText.h"
#include "pinvane/support/Text.h"

#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace {

bool hasText(const JsonValue& node, const char* name, std::string_view text) {
    const JsonValue* member = node.findMember(name);
    return member && member->text() == text;
}

// The C library's string-to-integer reading of an id text: leading white space, an
// optional sign, then digits up to the first other byte; saturates on overflow.
int64_t idValue(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    // Accumulated as a negative number, whose range holds the most negative value.
    int64_t value = 0;
    constexpr int64_t lowest = std::numeric_limits<int64_t>::min();
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (value < (lowest + digit) / 10)
            return negative ? lowest : std::numeric_limits<int64_t>::max();
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == lowest ? std::numeric_limits<int64_t>::max() : -value;
}

bool isUrlNamed(const JsonValue& node, const std::string& title) {
    return hasText(node, "type", "url") && hasText(node, "name", title);
}

size_t insertionIndex(const JsonValue& children, InsertPosition position) {
    switch (position) {
    case InsertPosition::Bottom:
        return children.items().size();
    case InsertPosition::AfterFolders: {
        size_t count = 0;
        const auto items = children.items();
        while (count < items.size() && hasText(items[count], "type", "folder"))
            ++count;
        return count;
    }
    default:
        return 0;
    }
}

// A matched node. Inserting into the bar's children moves its direct children, so those
// are held by position and resolved on use; every other node keeps its address for the
// whole call: only the bar's children array is inserted into while matches are in use,
// and what goes into folders waits aside until the end.
struct NodeRef {
    enum class Where : uint8_t { Fixed, BarOriginal, BarAdded, FolderPending };
    Where where = Where::Fixed;
    JsonValue* node = nullptr;
    size_t slot = 0; // BarOriginal: index before any insertion; BarAdded: order of addition;
                     // FolderPending: the folder's entry in the pending list
    size_t item = 0; // FolderPending: the node's place among that folder's new children
};

bool isFolderNamed(const JsonValue& node, std::string_view title) {
    return hasText(node, "type", "folder") && hasText(node, "name", title);
}

// New bookmarks for one folder on the bar, appended to its children at the end.
struct PendingFolder {
    std::string_view title;
    NodeRef folder; // BarOriginal or BarAdded
    bool existed = false;
    std::vector<JsonValue> children;
};

// The configured titles and their URL nodes in document order, built in one walk so that
// a long bookmark list does not walk a large file once per bookmark.
class TitleIndex {
public:
    explicit TitleIndex(const std::vector<BookmarkSpec>& bookmarks) {
        for (const BookmarkSpec& bookmark : bookmarks)
            matches.try_emplace(bookmark.title);
    }

    void build(JsonValue& roots, const JsonValue* bar) {
        this->bar = bar;
        for (JsonValue& tree : roots.memberValues())
            walk(tree, {NodeRef::Where::Fixed, &tree, 0});
    }

    std::vector<NodeRef>& of(const std::string& title) { return matches[title]; }

private:
    void walk(JsonValue& node, const NodeRef& ref) {
        if (node.kind() != JsonKind::Object)
            return;
        if (hasText(node, "type", "url")) {
            if (const JsonValue* name = node.findMember("name")) {
                const auto found = matches.find(name->text());
                if (found != matches.end())
                    found->second.push_back(ref);
            }
        }
        JsonValue* children = node.findMember("children");
        if (!children)
            return;
        const bool inBar = &node == bar;
        const auto items = children->items();
        for (size_t i = 0; i < items.size(); ++i) {
            JsonValue& child = items[i];
            walk(child, inBar ? NodeRef{NodeRef::Where::BarOriginal, nullptr, i}
                              : NodeRef{NodeRef::Where::Fixed, &child, 0});
        }
    }

    std::unordered_map<std::string_view, std::vector<NodeRef>> matches;
    const JsonValue* bar = nullptr;
};

} // namespace

void scanLargestId(const JsonValue& node, int64_t& largestId) {
    if (node.kind() != JsonKind::Object)
        return;
    const JsonValue* id = node.findMember("id");
    if (id && id->kind() == JsonKind::String) {
        const int64_t value = idValue(id->text());
        if (value > largestId)
            largestId = value;
    }
    if (const JsonValue* children = node.findMember("children")) {
        for (const JsonValue& child : children->items())
            scanLargestId(child, largestId);
    }
}

void collectTitleMatches(JsonValue& node, const std::string& title,
                         std::vector<JsonValue*>& matches) {
    if (node.kind() != JsonKind::Object)
        return;
    if (isUrlNamed(node, title))
        matches.push_back(&node);
    if (JsonValue* children = node.findMember("children")) {
        for (JsonValue& child : children->items())
            collectTitleMatches(child, title, matches);
    }
}

EditReport addToChromiumBookmarks(const std::wstring& filePath,
                                  const std::vector<BookmarkSpec>& bookmarks,
                                  InsertPosition position, EditMode mode) {
    EditReport report;
    const auto fail = [&report](std::wstring reason) {
        report.failed = true;
        report.failure = std::move(reason);
        return report;
    };
    std::string text;
    if (!readFileBytes(filePath, text))
        return fail(L"Bookmarks を読み込めません");
    if (const size_t bom = text.size() - withoutUtf8Bom(text).size())
        text.erase(0, bom);

    // The document's strings are views of text: it stays as it is until the end.
    JsonDocument document;
    std::string parseError;
    if (!JsonParser(text).parse(document, parseError))
        return fail(L"Bookmarks の JSON を解析できません: " + utf8ToWide(parseError));
    JsonValue& root = document.root;
    // The rewrite is a little larger than the source (deeper indentation): size it once.
    const size_t outputHint = text.size() + text.size() / 2;

    JsonValue* roots = root.findMember("roots");
    JsonValue* bar = roots ? roots->findMember("bookmark_bar") : nullptr;
    if (!bar || bar->kind() != JsonKind::Object)
        return fail(L"ブックマークバー(bookmark_bar)が見つかりません");
    if (!bar->findMember("children"))
        document.setMember(*bar, "children", JsonValue::array());
    // The serializer writes only the items of an array: a node put anywhere else would be
    // reported as added and then silently lost.
    if (bar->findMember("children")->kind() != JsonKind::Array)
        return fail(L"ブックマークバーの children が配列ではないため変更しません");
    // Re-found on each use: giving the bar itself a "url" member may move its members.
    const auto barChildren = [bar]() -> JsonValue& { return *bar->findMember("children"); };

    int64_t largestId = 0;
    for (const JsonValue& tree : roots->memberValues())
        scanLargestId(tree, largestId);

    const size_t start = insertionIndex(barChildren(), position);
    size_t addedCount = 0;
    std::vector<PendingFolder> pending;
    const auto resolve = [&](const NodeRef& ref) -> JsonValue& {
        switch (ref.where) {
        case NodeRef::Where::BarOriginal:
            return barChildren().items()[ref.slot < start ? ref.slot : ref.slot + addedCount];
        case NodeRef::Where::BarAdded:
            return barChildren().items()[start + ref.slot];
        case NodeRef::Where::FolderPending:
            return pending[ref.slot].children[ref.item];
        default:
            return *ref.node;
        }
    };
    const auto refOfBarIndex = [&](size_t index) -> NodeRef {
        if (index < start)
            return {NodeRef::Where::BarOriginal, nullptr, index};
        if (index < start + addedCount)
            return {NodeRef::Where::BarAdded, nullptr, index - start};
        return {NodeRef::Where::BarOriginal, nullptr, index - addedCount};
    };
    // The pending entry of the folder of that title on the bar: the first one there, or a
    // new one made in the slot a new bookmark would take.
    constexpr size_t noFolder = SIZE_MAX;
    const auto folderFor = [&](std::string_view title) -> size_t {
        for (size_t i = 0; i < pending.size(); ++i)
            if (pending[i].title == title)
                return i;
        const auto items = barChildren().items();
        for (size_t i = 0; i < items.size(); ++i) {
            if (isFolderNamed(items[i], title)) {
                const JsonValue* children = items[i].findMember("children");
                if (children && children->kind() != JsonKind::Array)
                    return noFolder;
                pending.push_back({title, refOfBarIndex(i), true, {}});
                return pending.size() - 1;
            }
        }
        document.insertItem(barChildren(), start + addedCount,
                            makeFolderNode(document, ++largestId, title));
        pending.push_back({title, {NodeRef::Where::BarAdded, nullptr, addedCount}, false, {}});
        ++addedCount;
        report.actions.push_back({BookmarkActionKind::FolderCreated, std::string(title)});
        return pending.size() - 1;
    };

    TitleIndex index(bookmarks);
    index.build(*roots, bar);

    bool changed = false;
    bool added = false;
    for (const BookmarkSpec& bookmark : bookmarks) {
        std::vector<NodeRef>& matches = index.of(bookmark.title);
        if (matches.empty()) {
            // A new folder takes an id of its own as well.
            const int64_t idsNeeded = bookmark.folder.empty() ? 1 : 2;
            if (largestId > std::numeric_limits<int64_t>::max() - idsNeeded)
                return fail(L"ブックマークの id が上限に達しているため追加できません: " +
                            utf8ToWide(bookmark.title));
            changed = true;
            if (!bookmark.folder.empty()) {
                const size_t folder = folderFor(bookmark.folder);
                if (folder == noFolder)
                    return fail(L"フォルダー " + utf8ToWide(bookmark.folder) +
                                L" の children が配列ではないため変更しません");
                added = added || !pending[folder].existed;
                std::vector<JsonValue>& children = pending[folder].children;
                children.push_back(makeUrlNode(document, ++largestId, bookmark));
                matches.push_back(
                    {NodeRef::Where::FolderPending, nullptr, folder, children.size() - 1});
                report.actions.push_back(
                    {BookmarkActionKind::Added, bookmark.title, bookmark.url, {}, bookmark.folder});
                continue;
            }
            document.insertItem(barChildren(), start + addedCount,
                                makeUrlNode(document, ++largestId, bookmark));
            // A title without matches so far has exactly this node as its match from now on.
            matches.push_back({NodeRef::Where::BarAdded, nullptr, addedCount});
            ++addedCount;
            report.actions.push_back({BookmarkActionKind::Added, bookmark.title, bookmark.url});
            added = true;
            continue;
        }
        for (const NodeRef& ref : matches) {
            JsonValue& node = resolve(ref);
            const JsonValue* url = node.findMember("url");
            if (url && url->text() == bookmark.url) {
                report.actions.push_back(
                    {BookmarkActionKind::Unchanged, bookmark.title, bookmark.url, {}});
                continue;
            }
            report.actions.push_back({BookmarkActionKind::UrlReplaced, bookmark.title, bookmark.url,
                                      url ? std::string(url->text()) : std::string()});
            document.setMember(node, "url", document.makeString(bookmark.url));
            changed = true;
        }
    }
    if (!changed)
        return report;

    // Matches are no longer needed: the folders' children may move now.
    for (PendingFolder& folder : pending) {
        JsonValue& node = resolve(folder.folder);
        if (!node.findMember("children"))
            document.setMember(node, "children", JsonValue::array());
        JsonValue* children = node.findMember("children");
        for (JsonValue& child : folder.children)
            document.appendItem(*children, std::move(child));
        if (folder.existed)
            document.setMember(node, "date_modified", document.makeString(chromiumTimeNow()));
    }
    if (added)
        document.setMember(*bar, "date_modified", document.makeString(chromiumTimeNow()));
    root.removeMember("checksum");

    std::string output;
    output.reserve(outputHint);
    writeJson(root, 0, output);
    if (mode == EditMode::Apply && !replaceFileAtomically(filePath, output))
        return fail(L"Bookmarks を書き込めません");
    return report;
}
