// Site map pages in HTML5 markup: the same seven layouts over the same tree
// and settings as the classic pages, written as standard documents that
// screen readers, keyboards and small screens can use.
//
// Every page declares its language and UTF-8, fits the screen's width, and
// holds its map in a navigation region named by the page title. Fonts and
// colours are CSS; a page whose project sets no colours follows the
// reader's light or dark scheme. Lists are lists: the paged list's branch
// pages and the index page's letters are lists of links, the level table has
// a header row. The two trees are nested lists that a script in the page
// turns into a WAI-ARIA tree (roles, aria-expanded, arrow keys, Home, End,
// Enter); the drop-down list is a labelled list with a button, shown by its
// script. Without script every entry of every layout shows as a link.
#pragma once

#include <string>

#include "generate/html_writer.h"
#include "generate/page_writer.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// The whole page of list at level (the paged list's branch pages are
// written through WritePage on the way). False when a checked write failed
// (reported).
bool WriteHtml5Page(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
                    const std::string& page_path);

}  // namespace vellum::generate
