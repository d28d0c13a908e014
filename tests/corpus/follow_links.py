"""What a link scan of a site on disk must find, for the corpus tests.

Run with Debian's /usr/bin/python3 FOLDER START. From the page START
(relative to FOLDER) it follows the links of HREF of A and AREA and SRC of
FRAME and IFRAME, read by the standard library's HTML parser, between the
page files (.html, .htm) of FOLDER. It prints, in order, one line per page
reached, "page PATH", then one per link to a page file that FOLDER does not
hold, "broken PATH"; paths are relative to FOLDER.

Links to other sites, bookmarks of the same page and links to files that
are not pages lead nowhere; none of these sites links with a path from the
root, so such links and links above FOLDER are left out too.
"""

import html.parser
import os
import posixpath
import sys
import urllib.parse

LINKS = {"a": "href", "area": "href", "frame": "src", "iframe": "src"}


class LinkValues(html.parser.HTMLParser):
    """Collects the link values of a page, character references decoded."""

    def __init__(self):
        super().__init__()
        self.values = []

    def handle_starttag(self, tag, attrs):
        wanted = LINKS.get(tag)
        self.values += [v for name, v in attrs if name == wanted and v is not None]


def is_page_file(path):
    return os.path.splitext(path)[1].lower() in (".html", ".htm")


def target_of(page, value):
    """The page file that value links to from page, or None."""
    # Without its bookmark and arguments; nothing left is the page itself.
    for end in "#?":
        value = value.split(end, 1)[0]
    value = value.strip(" \t\r\n")
    slash = value.find("/")
    colon = value.find(":")
    if not value or value.startswith("/") or (colon >= 0 and (slash < 0 or colon < slash)):
        return None
    # Percent escapes stand for the bytes of the file name.
    name = os.fsdecode(urllib.parse.unquote_to_bytes(value.encode("utf-8", "surrogateescape")))
    if name.endswith("/"):
        return None
    target = posixpath.normpath(posixpath.join(posixpath.dirname(page), name))
    if not is_page_file(target) or target.startswith("../"):
        return None
    return target


def main():
    folder, start = sys.argv[1:]
    reached, broken = {start}, set()
    queue = [start]
    while queue:
        page = queue.pop()
        with open(os.path.join(folder, page), "rb") as file:
            text = file.read().decode("utf-8", "surrogateescape")
        parser = LinkValues()
        parser.feed(text)
        parser.close()
        for value in parser.values:
            target = target_of(page, value)
            if target is None:
                continue
            if not os.path.isfile(os.path.join(folder, target)):
                broken.add(target)
            elif target not in reached:
                reached.add(target)
                queue.append(target)
    out = sys.stdout.buffer
    for kind, paths in (("page", reached), ("broken", broken)):
        for path in sorted(paths):
            out.write(b"%s %s\n" % (kind.encode(), os.fsencode(path)))


if __name__ == "__main__":
    main()
