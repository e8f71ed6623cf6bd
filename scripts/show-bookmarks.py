#!/usr/bin/env python3
"""Prints the bookmark bar of each Chromium profile and the toolbar of each Firefox
profile below a sample folder."""
import json
import pathlib
import sqlite3
import sys


def chromium_bar(path):
    root = json.loads(path.read_text(encoding="utf-8-sig"))
    for node in root["roots"]["bookmark_bar"].get("children", []):
        if node.get("type") == "folder":
            yield f"[{node.get('name')}]"
        else:
            yield f"{node.get('name')} -> {node.get('url')}"


def firefox_toolbar(path):
    with sqlite3.connect(f"file:{path}?immutable=1", uri=True) as db:
        rows = db.execute(
            "SELECT b.type, b.title, p.url FROM moz_bookmarks b "
            "LEFT JOIN moz_places p ON p.id = b.fk "
            "WHERE b.parent = (SELECT id FROM moz_bookmarks WHERE guid = 'toolbar_____') "
            "ORDER BY b.position")
        for kind, title, url in rows:
            yield f"[{title}]" if kind == 2 else f"{title} -> {url}"


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
