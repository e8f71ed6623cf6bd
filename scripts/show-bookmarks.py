#!/usr/bin/env python3
"""Prints the bookmark bar of each Chromium profile and the toolbar of each Firefox
profile below a sample folder."""
import json
import pathlib
import sqlite3
import sys


def chromium_nodes(nodes, indent=""):
    for node in nodes:
        if node.get("type") == "folder":
            yield f"{indent}[{node.get('name')}]"
            yield from chromium_nodes(node.get("children", []), indent + "    ")
        else:
            yield f"{indent}{node.get('name')} -> {node.get('url')}"


def chromium_bar(path):
    root = json.loads(path.read_text(encoding="utf-8-sig"))
    yield from chromium_nodes(root["roots"]["bookmark_bar"].get("children", []))


def firefox_children(db, parent, indent=""):
    rows = db.execute(
        "SELECT b.id, b.type, b.title, p.url FROM moz_bookmarks b "
        "LEFT JOIN moz_places p ON p.id = b.fk WHERE b.parent = ? ORDER BY b.position",
        (parent,)).fetchall()
    for item, kind, title, url in rows:
        if kind == 2:
            yield f"{indent}[{title}]"
            yield from firefox_children(db, item, indent + "    ")
        else:
            yield f"{indent}{title} -> {url}"


def firefox_toolbar(path):
    with sqlite3.connect(f"file:{path}?immutable=1", uri=True) as db:
        toolbar = db.execute(
            "SELECT id FROM moz_bookmarks WHERE guid = 'toolbar_____'").fetchone()[0]
        yield from firefox_children(db, toolbar)


def main(folder):
    base = pathlib.Path(folder)
    for path in sorted(base.rglob("Bookmarks")):
        print(f"  {path.relative_to(base)}")
        for line in chromium_bar(path):
            print(f"      {line}")
    for path in sorted(base.rglob("places.sqlite")):
        print(f"  {path.relative_to(base)}")
        for line in firefox_toolbar(path):
            print(f"      {line}")


if __name__ == "__main__":
    main(sys.argv[1])
